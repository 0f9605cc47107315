#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

namespace core {

class PropertyBag;

// A progress bar that draws its own face: a bar filled from the left in proportion to Value
// between Min and Max, and one line of text across it that changes colour exactly where the bar
// ends. Positions are in twips; colours are kept in the platform's encoding (see OleColor.h).
class DProgressBar final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DProgressBar)

public:
    explicit DProgressBar(QWidget* parent = nullptr);

    quint32 BarColor() const { return m_barColor; }
    void setBarColor(quint32 color);
    quint32 TextOverBarColor() const { return m_textOverBarColor; }
    void setTextOverBarColor(quint32 color);
    quint32 TextOverBackColor() const { return m_textOverBackColor; }
    void setTextOverBackColor(quint32 color);
    QString Text() const { return m_text; }
    void setText(const QString& text);
    qint32 TextIndent() const { return m_textIndent; }
    void setTextIndent(qint32 twips);
    qint32 BorderClearance() const { return m_borderClearance; }
    void setBorderClearance(qint32 twips);
    qint32 TextAlignment() const { return m_textAlignment; }
    void setTextAlignment(qint32 alignment);
    double Min() const { return m_min; }
    void setMin(double value);
    double Max() const { return m_max; }
    void setMax(double value);
    double Value() const { return m_value; }
    // A change of 0.001 or less is dropped: it could not be seen and would cost a whole redraw.
    void setValue(double value);

    // The control's own font: changing it directly does not redraw the control.
    QFont& Font() { return m_font; }
    const QFont& Font() const { return m_font; }
    // Copies the given font's attributes into the control's own font (never keeps the object).
    void assignFont(const QFont& font);

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // The last drawn face, as a repaint shows it; and how often it was drawn.
    const QImage& face() const { return m_face; }
    int faceDrawCount() const { return m_faceDrawCount; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void InitProperties();
    void suspendRefresh() { m_refreshSuspended = true; }
    void resumeRefresh();
    void RefreshBar();
    void DrawBar();

    double m_min = 0;
    double m_max = 0;
    double m_value = 0;
    QString m_text;
    qint32 m_textAlignment = 0;
    quint32 m_barColor = 0;
    quint32 m_textOverBarColor = 0;
    quint32 m_textOverBackColor = 0;
    qint32 m_textIndent = 0;
    qint32 m_borderClearance = 0;
    QFont m_font;
    bool m_refreshSuspended = false;
    quint32 m_backColor = 0;
    QImage m_face;
    int m_faceDrawCount = 0;
};

} // namespace core
