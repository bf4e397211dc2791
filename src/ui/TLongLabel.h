#pragma once

#include <QLabel>

namespace mq {

// A label that shortens text too wide for it with "...": at the end, or in the middle of a
// path so that its last component stays visible. The text itself is never changed.
class TLongLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(TEllipsType EllipsType READ EllipsType WRITE setEllipsType)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)

public:
    enum TEllipsType { etNone, etEndEllips, etPathEllips };
    Q_ENUM(TEllipsType)

    explicit TLongLabel(QWidget* parent = nullptr);

    TEllipsType EllipsType() const { return ellipsType_; }
    void setEllipsType(TEllipsType type);
    // "&x" underlines x and "&&" shows one "&", as on a menu caption.
    bool ShowAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool show);

    // The text as it is drawn into `width` pixels.
    QString shownText(int width) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int drawFlags() const;
    QString pathElided(const QString& text, int width) const;

    TEllipsType ellipsType_ = etNone;
    bool showAccelChar_ = true;
};

}  // namespace mq
