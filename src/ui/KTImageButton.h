#pragma once
// A push button that is nothing but a picture: one for the normal state and one while it is
// held down. It takes the focus only from the keyboard and draws no frame of its own.

#include <QAbstractButton>
#include <QPixmap>

class KTImageButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit KTImageButton(QWidget* parent = nullptr);

    /// The pictures of the normal and the pressed state, drawn scaled to the button.
    void SetImages(const QPixmap& normal, const QPixmap& pressed);
    const QPixmap& GetNormalImage() const { return m_normal; }
    const QPixmap& GetPressedImage() const { return m_pressed; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
};
