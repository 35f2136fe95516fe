#pragma once
// An icon drawn from one of our SVG pictures by the program itself, read when first drawn.

#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <QString>

#include <memory>

class QSvgRenderer;

/// The picture at `path` (an SVG file, usually in the resources), drawn afresh at every size asked
/// of it, keeping its proportions, and kept per size. Nothing is read until it is first drawn or
/// measured: Qt's own engine for SVG icons would be a plugin loaded with the first icon, and it
/// reads each picture again for every icon and copy made of it.
class KTDrawingIcon : public QIconEngine
{
public:
    explicit KTDrawingIcon(QString path);
    ~KTDrawingIcon() override;

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    /// The picture within `size`, in the style's look for `mode`; null when it cannot be read.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    /// The largest size of the picture's proportions within `size`.
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;
    QString key() const override;
    bool isNull() override;

private:
    /// The picture's own size; empty when it cannot be read.
    QSize DefaultSize();

    QString m_path;
    std::unique_ptr<QSvgRenderer> m_renderer; ///< made when first drawn or measured
    bool m_read = false;
    QHash<quint64, QPixmap> m_drawn; ///< by size and mode
};
