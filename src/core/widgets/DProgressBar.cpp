#include "DProgressBar.h"

#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "OleColor.h"
#include "ProgressBarLayout.h"
#include "PropertyBag.h"
#include "mN7GraphLight.h"
#include "miGraphApi.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr double kDefaultMin = 0;
constexpr double kDefaultMax = 100;
constexpr double kDefaultValue = 0;
constexpr qint32 kDefaultTextIndent = 60;
constexpr qint32 kDefaultTextAlignment = 0;
constexpr qint32 kDefaultBorderClearance = 0;
constexpr double kValueThreshold = 0.001;

} // namespace

DProgressBar::DProgressBar(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitProperties();
}

void DProgressBar::InitProperties()
{
    suspendRefresh();
    setMin(kDefaultMin);
    setMax(kDefaultMax);
    setValue(kDefaultValue);
    setText(QString());
    setTextIndent(kDefaultTextIndent);
    setTextAlignment(kDefaultTextAlignment);
    m_backColor = vbButtonFace;
    setBarColor(vbHighlight);
    setTextOverBarColor(vbHighlightText);
    setTextOverBackColor(vbButtonText);
    assignFont(GetDefaultFont());
    setBorderClearance(kDefaultBorderClearance);
    resumeRefresh();
}

void DProgressBar::resumeRefresh()
{
    m_refreshSuspended = false;
    RefreshBar();
}

void DProgressBar::setBarColor(quint32 color)
{
    m_barColor = color;
    RefreshBar();
}

void DProgressBar::setTextOverBarColor(quint32 color)
{
    m_textOverBarColor = color;
    RefreshBar();
}

void DProgressBar::setTextOverBackColor(quint32 color)
{
    m_textOverBackColor = color;
    RefreshBar();
}

void DProgressBar::setText(const QString& text)
{
    m_text = text;
    RefreshBar();
}

void DProgressBar::setTextIndent(qint32 twips)
{
    m_textIndent = twips;
    RefreshBar();
}

void DProgressBar::setBorderClearance(qint32 twips)
{
    m_borderClearance = twips;
    RefreshBar();
}

void DProgressBar::setTextAlignment(qint32 alignment)
{
    m_textAlignment = alignment;
    RefreshBar();
}

void DProgressBar::setMin(double value)
{
    m_min = value;
    RefreshBar();
}

void DProgressBar::setMax(double value)
{
    m_max = value;
    RefreshBar();
}

void DProgressBar::setValue(double value)
{
    if (std::abs(value - m_value) > kValueThreshold) {
        m_value = value;
        RefreshBar();
    }
}

void DProgressBar::assignFont(const QFont& font)
{
    // The weight is not copied: bold or not is all the control takes.
    m_font.setBold(font.bold());
    m_font.setItalic(font.italic());
    m_font.setFamilies(font.families().isEmpty() ? QStringList{font.family()} : font.families());
    if (font.pointSizeF() > 0)
        m_font.setPointSizeF(font.pointSizeF());
    else if (font.pixelSize() > 0)
        m_font.setPixelSize(font.pixelSize());
    m_font.setUnderline(font.underline());
    m_font.setStrikeOut(font.strikeOut());
    RefreshBar();
}

void DProgressBar::ReadProperties(const PropertyBag& bag)
{
    suspendRefresh();
    setMin(bag.ReadProperty(u"Min"_s, kDefaultMin).toDouble());
    setMax(bag.ReadProperty(u"Max"_s, kDefaultMax).toDouble());
    setValue(bag.ReadProperty(u"Value"_s, kDefaultValue).toDouble());
    setText(bag.ReadProperty(u"Text"_s, QString()).toString());
    setTextIndent(bag.ReadProperty(u"TextIndent"_s, kDefaultTextIndent).toInt());
    setTextAlignment(bag.ReadProperty(u"TextAlignment"_s, kDefaultTextAlignment).toInt());
    setBarColor(bag.ReadProperty(u"BarColor"_s, vbHighlight).toUInt());
    setTextOverBarColor(bag.ReadProperty(u"TextOverBarColor"_s, vbHighlightText).toUInt());
    setTextOverBackColor(bag.ReadProperty(u"TextOverBackColor"_s, vbButtonText).toUInt());
    assignFont(bag.ReadProperty(u"Font"_s, QVariant::fromValue(GetDefaultFont())).value<QFont>());
    setBorderClearance(bag.ReadProperty(u"BorderClearance"_s, kDefaultBorderClearance).toInt());
    resumeRefresh();
}

void DProgressBar::WriteProperties(PropertyBag& bag) const
{
    bag.WriteProperty(u"Min"_s, Min(), kDefaultMin);
    bag.WriteProperty(u"Max"_s, Max(), kDefaultMax);
    bag.WriteProperty(u"Value"_s, Value(), kDefaultValue);
    bag.WriteProperty(u"Text"_s, Text(), QString());
    bag.WriteProperty(u"TextIndent"_s, TextIndent(), kDefaultTextIndent);
    bag.WriteProperty(u"TextAlignment"_s, TextAlignment(), kDefaultTextAlignment);
    bag.WriteProperty(u"BarColor"_s, BarColor(), vbHighlight);
    bag.WriteProperty(u"TextOverBarColor"_s, TextOverBarColor(), vbHighlightText);
    bag.WriteProperty(u"TextOverBackColor"_s, TextOverBackColor(), vbButtonText);
    bag.WriteProperty(u"Font"_s, QVariant::fromValue(Font()), QVariant::fromValue(GetDefaultFont()));
    bag.WriteProperty(u"BorderClearance"_s, BorderClearance(), kDefaultBorderClearance);
}

void DProgressBar::RefreshBar()
{
    if (m_refreshSuspended)
        return;
    DrawBar();
    update();
}

void DProgressBar::DrawBar()
{
    const int tppX = TwipsPerPixelX();
    const int tppY = TwipsPerPixelY();
    const QPalette& colors = palette();
    const QColor back = colorFromOle(m_backColor, colors);

    m_face = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_face.fill(back);
    ++m_faceDrawCount;

    QPainter painter(&m_face);
    painter.setFont(m_font);
    const QFontMetrics metrics(m_font, &m_face);

    ProgressBarLayoutInput in;
    in.scaleWidth = static_cast<double>(width()) * tppX;
    in.scaleHeight = static_cast<double>(height()) * tppY;
    in.borderClearance = m_borderClearance;
    in.textIndent = m_textIndent;
    in.textAlignment = m_textAlignment;
    in.min = m_min;
    in.max = m_max;
    in.value = m_value;
    in.twipsPerPixelX = tppX;
    in.textWidth = static_cast<double>(metrics.horizontalAdvance(m_text)) * tppX;
    in.textHeight = static_cast<double>(metrics.height()) * tppY;
    const ProgressBarLayout layout = layoutProgressBar(in);

    const auto bc = static_cast<qint64>(m_borderClearance);
    const auto right = static_cast<qint64>(layout.right);
    const auto bottom = static_cast<qint64>(layout.bottom);
    const auto end = static_cast<qint64>(layout.barEnd);
    // The text stands on whole pixels.
    const qint64 textLeft = layout.textX / tppX;
    const qint64 textTop = layout.textY / tppY;
    const QPointF textAt(static_cast<double>(textLeft), static_cast<double>(textTop) + metrics.ascent());

    // The text is drawn twice at one place, each time clipped to its part of the bar.
    const auto drawPart = [&](qint64 from, qint64 to, const QColor& fill, const QColor& ink) {
        VBSetClipRect(painter, from, bc, to, bottom);
        painter.fillRect(clipRectPixels(from, bc, to, bottom, tppX, tppY), fill);
        painter.setPen(ink);
        painter.drawText(textAt, m_text);
        VBResetClipRect(painter);
    };
    if (layout.barEnd > static_cast<double>(bc))
        drawPart(bc, end, colorFromOle(m_barColor, colors), colorFromOle(m_textOverBarColor, colors));
    if (layout.barEnd < layout.right)
        drawPart(end, right, back, colorFromOle(m_textOverBackColor, colors));
}

void DProgressBar::paintEvent(QPaintEvent* /*event*/)
{
    // A repaint only shows the last drawn face: drawing happens when a property changes.
    QPainter painter(this);
    painter.drawImage(0, 0, m_face);
}

void DProgressBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RefreshBar();
}

void DProgressBar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        RefreshBar();
}

} // namespace core
