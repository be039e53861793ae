#pragma once

#include "preview/TCardOverlay.h"

// Over a face: a household's further joint names, the second on, beside the joint-name field
// that shows the first.
class TJointNames : public TCardOverlay
{
    Q_OBJECT
public:
    using TCardOverlay::TCardOverlay;

    // The joint-name lines after the first ("" when there are none).
    QString furtherLines() const;

protected:
    bool hasInk() const override;
    void draw(const CardRenderer& renderer, QPainter& painter) const override;
};
