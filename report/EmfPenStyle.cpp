#include "report/EmfPenStyle.h"

#include <uemf.h>

namespace lex {

namespace {

struct Cap {
    Qt::PenCapStyle qt;
    quint32 emf;
};
struct Join {
    Qt::PenJoinStyle qt;
    quint32 emf;
};

// The first entry of each table is what a value the other side lacks becomes on reading.
constexpr Cap kCaps[] = {{Qt::RoundCap, U_PS_ENDCAP_ROUND},
                         {Qt::FlatCap, U_PS_ENDCAP_FLAT},
                         {Qt::SquareCap, U_PS_ENDCAP_SQUARE}};
constexpr Join kJoins[] = {{Qt::RoundJoin, U_PS_JOIN_ROUND},
                           {Qt::MiterJoin, U_PS_JOIN_MITER},
                           {Qt::BevelJoin, U_PS_JOIN_BEVEL}};

}  // namespace

quint32 emfCapAndJoin(const QPen& pen) {
    quint32 style = U_PS_ENDCAP_SQUARE;
    for (const Cap& c : kCaps)
        if (c.qt == pen.capStyle())
            style = c.emf;
    // EMF has one mitre join; Qt's SVG variant differs only in its limit.
    const Qt::PenJoinStyle join =
        pen.joinStyle() == Qt::SvgMiterJoin ? Qt::MiterJoin : pen.joinStyle();
    quint32 joinBits = U_PS_JOIN_BEVEL;
    for (const Join& j : kJoins)
        if (j.qt == join)
            joinBits = j.emf;
    return style | joinBits;
}

Qt::PenCapStyle qtCap(quint32 emfStyle) {
    for (const Cap& c : kCaps)
        if (c.emf == (emfStyle & U_PS_ENDCAP_MASK))
            return c.qt;
    return kCaps[0].qt;
}

Qt::PenJoinStyle qtJoin(quint32 emfStyle) {
    for (const Join& j : kJoins)
        if (j.emf == (emfStyle & U_PS_JOIN_MASK))
            return j.qt;
    return kJoins[0].qt;
}

}  // namespace lex
