// The floor the tray benchmark measures against: the smallest Qt 6 program
// with a tray icon that opens a window on a left click.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::darkRed);
  QWidget window;
  window.setWindowTitle(QStringLiteral("floor - input"));
  window.resize(320, 160);
  QSystemTrayIcon icon{QIcon(pixmap)};
  QObject::connect(&icon, &QSystemTrayIcon::activated, [&](QSystemTrayIcon::ActivationReason r) {
    if (r != QSystemTrayIcon::Trigger) return;
    window.show();
    window.raise();
    window.activateWindow();
  });
  icon.show();
  return app.exec();
}
