#pragma once

#include "preview/TCardOverlay.h"

// Over a face: with "郵便番号を枠に合わせる" on for its kind, the seven postal digits in the
// card's printed boxes.
class TBoxDigits : public TCardOverlay
{
    Q_OBJECT
public:
    using TCardOverlay::TCardOverlay;

    // The option is on for this kind and the code has seven digits: they stand in the boxes,
    // not in the two fields.
    bool active() const;

protected:
    bool hasInk() const override { return active(); }
    void draw(const CardRenderer& renderer, QPainter& painter) const override;
};
