#include "livenet/qt_timer.h"

#include <QTimer>

namespace korvid::livenet {
namespace {

class TQtTimer final : public ITimer {
public:
    explicit TQtTimer(std::function<void()> onTimeout)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTimeout));
    }
    void Start(std::chrono::milliseconds interval) override { m_timer.start(interval); }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<ITimer> TQtTimerFactory::MakeTimer(std::function<void()> onTimeout)
{
    return std::make_unique<TQtTimer>(std::move(onTimeout));
}

} // namespace korvid::livenet
