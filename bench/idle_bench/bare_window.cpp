// The yardsticks of the idle benchmark: about the least a Qt program costs that shows a window
// of Tidewell's size with a line of text updated once a second and an icon in the notification
// area. `--controls` shows, instead of the lone label, plain Qt widgets for the controls of
// Tidewell's window at their places, the countdown in the status frame's title: what the
// window costs before any of Tidewell's own work. `--hidden` leaves the window unshown, as
// Tidewell is when it starts in the tray.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimeEdit>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <functional>

namespace {

bool hasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0) return true;
    }
    return false;
}

template <typename W, typename... Args>
W* place(QWidget* parent, int x, int y, int w, int h, Args&&... args) {
    auto* widget = new W(std::forward<Args>(args)..., parent);
    widget->setGeometry(x, y, w, h);
    return widget;
}

// Tidewell's controls, by kind, size and place; returns where the countdown goes.
std::function<void(const QString&)> buildControls(QWidget& window) {
    QFont bold = window.font();
    bold.setBold(true);
    window.setFont(bold);
    place<QPushButton>(&window, 8, 4, 520, 26, QStringLiteral("Help"));
    auto* status = place<QGroupBox>(&window, 8, 32, 520, 54, QStringLiteral("Off."));
    place<QProgressBar>(status, 16, 20, 490, 24)->setTextVisible(false);
    auto* schedule = place<QGroupBox>(&window, 8, 90, 520, 150, QStringLiteral("Empty Schedule"));
    place<QRadioButton>(schedule, 16, 24, 110, 22, QStringLiteral("Empty every:"))
        ->setChecked(true);
    const char* units[] = {"day/s", "hour/s", "minute/s"};
    for (int i = 0; i < 3; ++i) {
        place<QLineEdit>(schedule, 126 + i * 84, 22, 32, 24, QStringLiteral("0"));
        place<QLabel>(schedule, 162 + i * 84, 24, 70, 22, QString::fromLatin1(units[i]));
    }
    place<QRadioButton>(schedule, 16, 56, 110, 22, QStringLiteral("Daily:"));
    place<QTimeEdit>(schedule, 126, 54, 290, 24, QTime(11, 32, 43))->setDisplayFormat("hh:mm:ss");
    place<QRadioButton>(schedule, 16, 88, 110, 22, QStringLiteral("Weekly:"));
    place<QComboBox>(schedule, 126, 86, 290, 24)->addItems({"Monday", "Tuesday", "Wednesday"});
    auto* startup = place<QGroupBox>(&window, 8, 244, 520, 44, QStringLiteral("Startup Options"));
    place<QCheckBox>(startup, 16, 18, 260, 22, QStringLiteral("Load this software at startup"));
    place<QCheckBox>(startup, 280, 18, 200, 22, QStringLiteral("Start in system tray"));
    place<QPushButton>(&window, 8, 292, 520, 26, QStringLiteral("Turn On"));
    place<QPushButton>(&window, 8, 322, 520, 26, QStringLiteral("Empty Trash Bin Now (Test)"));
    return [status](const QString& text) { status->setTitle(text); };
}

}  // namespace

int main(int argc, char** argv) {
    const bool hidden = hasArgument(argc, argv, "--hidden");
    const bool controls = hasArgument(argc, argv, "--controls");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // Tidewell reads its pictures without Qt's image plugins; so does the yardstick.
    QCoreApplication::setLibraryPaths({});

    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.setFixedSize(536, 351);
    std::function<void(const QString&)> show;
    if (controls) {
        show = buildControls(window);
    } else {
        auto* label = place<QLabel>(&window, 8, 40, 520, 17);
        show = [label](const QString& text) { label->setText(text); };
    }

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
        show(QStringLiteral("On. Next empty will occur in: %1 day(s) and %2")
                 .arg(left / 86400)
                 .arg(clock.toString(QStringLiteral("hh:mm:ss"))));
    });
    timer.start(1000);

    if (!hidden) window.show();
    return QApplication::exec();
}
