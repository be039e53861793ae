#include "typeset/CharacterRun.h"

#include "common/numbers.h"

#include <cstdlib>
#include <numeric>

namespace {

// L / M kept as a single-precision number, which decides some half-pixel roundings.
float squeezeScale(int boxLength, int naturalLength)
{
    return static_cast<float>(double(boxLength) / double(naturalLength));
}

} // namespace

CharacterRun::CharacterRun(QList<int> advances, int boxLength, int spreadLength, AlignMode mode,
                           Rule rule)
    : m_advances(std::move(advances)), m_mode(mode), m_rule(rule),
      m_boxLength(std::max(boxLength, 0))
{
    const int n = count();
    const int L = m_boxLength;
    const int M = std::accumulate(m_advances.cbegin(), m_advances.cend(), 0);
    m_naturalLength = M;
    m_spreadLength = L;

    switch (mode) {
    case AlignMode::alLeft:
    case AlignMode::alCenter:
    case AlignMode::alRight:
    case AlignMode::alJustify:
        if (M > L) {
            m_scale = squeezeScale(L, M);
        } else if (mode == AlignMode::alCenter) {
            m_offset = (L - M) / 2;
        } else if (mode == AlignMode::alRight) {
            m_offset = L - M;
        } else if (mode == AlignMode::alJustify && n > 1) {
            m_gap = (L - M) / (n - 1);
            m_remainder = (L - M) % (n - 1);
        }
        break;
    case AlignMode::alJustifyEx: {
        const int G = spreadLength > L || spreadLength < MinSpreadLength ? L : spreadLength;
        m_spreadLength = G;
        if (M > G) {
            if (M > L)
                m_scale = squeezeScale(L, M);
        } else if (n > 1) {
            m_gap = (G - M) / (n - 1);
            m_remainder = (G - M) % (n - 1);
        }
        break;
    }
    }

    m_steps.reserve(n);
    m_boundaries.clear();
    m_boundaries.reserve(n + 1);
    int pen = m_offset;
    m_boundaries.append(pen);
    for (int i = 0; i < n; ++i) {
        const int step = numbers::roundHalfAway(double(m_advances[i]) * double(m_scale));
        m_steps.append(step);
        m_advanceSum += step;
        pen += step + m_gap + (i < m_remainder ? 1 : 0);
        m_boundaries.append(pen);
    }
}

int CharacterRun::glyphWidth(int averageCharWidth, bool vertical) const
{
    const double width = double(averageCharWidth) * double(m_scale);
    if (m_rule == Rule::Printer && vertical)
        return std::abs(int(width));
    return std::abs(numbers::roundHalfAway(width));
}

float CharacterRun::glyphScale(int averageCharWidth, bool vertical) const
{
    const int width =
        averageCharWidth > 0 && isSqueezed() ? glyphWidth(averageCharWidth, vertical) : 0;
    // A width of 0 would be the font's own width: keep s, the glyphs still fit their steps.
    if (width == 0)
        return m_scale;
    return static_cast<float>(double(width) / double(averageCharWidth));
}

int CharacterRun::end() const
{
    const int n = count();
    return n == 0 ? m_offset : m_boundaries[n - 1] + m_steps[n - 1];
}
