#include "preview/TJointNames.h"

#include "print/CardRenderer.h"

QString TJointNames::furtherLines() const
{
    const QStringList lines = m_texts.jointNameLines(m_item);
    return lines.size() > 1 ? lines.mid(1).join(QChar(CardTexts::NameBreak)) : QString();
}

bool TJointNames::hasInk() const
{
    return m_texts.jointNameLines(m_item).size() > 1;
}

void TJointNames::draw(const CardRenderer& renderer, QPainter& painter) const
{
    renderer.DrawJointNames(m_kind, painter, m_texts, 0, 0, 1, m_item);
}
