#include "livenet/qt_platform.h"

#include <QDateTime>
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

double TQtUtcClock::Now() const
{
    constexpr double UnixEpochDay = 25569; // 1970-01-01 in days since 1899-12-30
    return UnixEpochDay + static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 86'400'000.0;
}

std::unique_ptr<ITimer> TQtTimerFactory::MakeTimer(std::function<void()> onTimeout)
{
    return std::make_unique<TQtTimer>(std::move(onTimeout));
}

} // namespace korvid::livenet
