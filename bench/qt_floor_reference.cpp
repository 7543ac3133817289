// The cost floor of an animating Qt window on this machine, to read idle_cpu_bench's figure
// for Calvorn against: a bare window of Calvorn's size that repaints 122 key-sized squares in
// new colours 20 times a second, with no labels, no other threads and no devices.
//
// Usage: qt_floor_reference [exit-after-ms]   (default 15000)

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

constexpr int kKeys = 122;
constexpr int kColumns = 22;
constexpr int kKeyPitch = 32;
constexpr int kKeySize = 28;
const QRect kPicture(217, 105, 712, 225);

class KeyWindow final : public QWidget {
public:
    void NextFrame() {
        ++frame_;
        update(kPicture);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (int key = 0; key < kKeys; ++key) {
            const QRect cap(kPicture.left() + (key % kColumns) * kKeyPitch,
                            kPicture.top() + (key / kColumns) * kKeyPitch, kKeySize, kKeySize);
            painter.fillRect(cap, QColor::fromHsv((frame_ * 3 + key) % 360, 255, 255));
        }
    }

private:
    int frame_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int exit_after_ms = argc > 1 ? std::atoi(argv[1]) : 15000;
    KeyWindow window;
    window.resize(1000, 640);
    window.show();
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, &window, &KeyWindow::NextFrame);
    frames.start(50);
    QTimer::singleShot(exit_after_ms, &app, &QApplication::quit);
    return app.exec();
}
