#pragma once

#include "preview/TCardOverlay.h"

// Over a face: a household's further joint names, the second on, beside the joint-name field
// that shows the first; the addressee's (Renmei) or the sender's (SenderRenmei).
class TJointNames : public TCardOverlay
{
    Q_OBJECT
public:
    TJointNames(const LayoutTable& layouts, LayoutKind kind, LayoutItem item, QWidget* face)
        : TCardOverlay(layouts, kind, face), m_item(item)
    {}

    LayoutItem item() const { return m_item; }
    // The joint-name lines after the first ("" when there are none).
    QString furtherLines() const;

protected:
    bool hasInk() const override;
    void draw(const CardRenderer& renderer, QPainter& painter) const override;

private:
    const LayoutItem m_item;
};
