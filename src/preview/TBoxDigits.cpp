#include "preview/TBoxDigits.h"

#include "common/SessionOptions.h"
#include "common/TextHelpers.h"
#include "compose/CardText.h"
#include "print/CardRenderer.h"

bool TBoxDigits::active() const
{
    return m_options && ZipInBoxes(*m_options, m_kind) &&
           !PostalCodeDigits(m_texts[LayoutItem::YubinNo1] + m_texts[LayoutItem::YubinNo2])
                .isEmpty();
}

void TBoxDigits::draw(const CardRenderer& renderer, QPainter& painter) const
{
    renderer.DrawDigitsInBoxes(m_kind, painter, m_texts, 0, 0);
}
