#include "qt/Pictures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIconEngine>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

namespace mametan {
namespace {

// The sizes of one picture, each read when it is first asked for: a program
// waiting in the tray holds only the tray icon's size in memory.
class PictureEngine : public QIconEngine {
 public:
  explicit PictureEngine(QMap<int, QString> files) : m_files(std::move(files)) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    if (m_files.isEmpty() || size.isEmpty()) return QPixmap();
    const int wanted = qMax(size.width(), size.height());
    // The smallest drawing at least as large, else the largest.
    auto file = m_files.lowerBound(wanted);
    if (file == m_files.end()) --file;
    QPixmap& drawn = m_read[file.key()];
    if (drawn.isNull()) drawn = Read(file.value());
    QPixmap result = drawn.size() == size
                         ? drawn
                         : drawn.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (mode != QIcon::Normal && qApp) {
      QStyleOption option;
      option.palette = QApplication::palette();
      result = QApplication::style()->generatedIconPixmap(mode, result, &option);
    }
    return result;
  }

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = qMin(size.width(), size.height());
    return QSize(side, side);
  }

  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const int side : m_files.keys()) sizes << QSize(side, side);
    return sizes;
  }

  QIconEngine* clone() const override { return new PictureEngine(m_files); }

 private:
  // Read as PNG, the reader told so: one that had to recognise the file
  // would load every image-format plugin to ask.
  static QPixmap Read(const QString& path) {
    QFile png(path);
    if (!png.open(QIODevice::ReadOnly)) return QPixmap();
    QImageReader reader(&png, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
  }

  QMap<int, QString> m_files;  // by side in pixels
  QMap<int, QPixmap> m_read;
};

}  // namespace

QIcon Picture(const char* name) {
  const QDir dir(QStringLiteral(":/icons/") + QLatin1String(name));
  QMap<int, QString> files;
  for (const QString& file : dir.entryList(QDir::Files)) {
    files.insert(file.section(QLatin1Char('.'), 0, 0).toInt(), dir.filePath(file));
  }
  return QIcon(new PictureEngine(std::move(files)));
}

}  // namespace mametan
