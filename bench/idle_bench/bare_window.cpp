// The yardstick of the idle benchmark: about the least a Qt program costs that shows a window
// of Tidewell's size with a line of text updated once a second and an icon in the notification
// area. `--hidden` leaves the window unshown, as Tidewell is when it starts in the tray.

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
    const bool hidden = argc > 1 && std::strcmp(argv[1], "--hidden") == 0;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(536, 351);
    QLabel label(&window);
    label.setGeometry(8, 40, 520, 17);

    QPixmap picture(16, 16);
    picture.fill(Qt::blue);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();

    // The same kind of text as Tidewell's status line, one second less at every tick.
    int left = 30 * 86400;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        --left;
        const QTime clock = QTime(0, 0).addSecs(left % 86400);
        label.setText(QStringLiteral("On. Next empty will occur in: %1 day(s) and %2")
                          .arg(left / 86400)
                          .arg(clock.toString(QStringLiteral("hh:mm:ss"))));
    });
    timer.start(1000);

    if (!hidden) window.show();
    return QApplication::exec();
}
