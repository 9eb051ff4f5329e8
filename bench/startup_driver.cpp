// Starts the windows through the program's own start-up code (splash without its wait, every
// dialog, the main window maximised) and writes "shown" on stdout once the main window has been
// exposed and painted, then quits. bench_startup times it from the outside.
#include "Main.h"
#include "Program.h"

#include <QApplication>
#include <QTimer>
#include <QWindow>
#include <cstdio>

using namespace vxt;

namespace {

// Reports the first exposure of the main window once what it brought (the paint) is done.
class FirstExpose : public QObject {
public:
    explicit FirstExpose(QWidget *window) : window_(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!done_ && event->type() == QEvent::Expose && watched == window_->windowHandle() &&
            window_->windowHandle()->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, []() {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget *window_;
    bool done_ = false;
};

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TMainForm *mainForm = StartWindows(0);
    FirstExpose watch(mainForm);
    app.installEventFilter(&watch);
    ShowMainWindow(mainForm);

    const int rc = app.exec();
    app.removeEventFilter(&watch);
    delete mainForm;
    return rc;
}
