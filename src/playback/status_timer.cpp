// Purpose: the status timer (time, status line, playlist position, CPU, end of track) and the level meters.
#include "core/display_name.h"
#include "core/rounding.h"
#include "core/time_text.h"
#include "engine/engine.h"
#include "shell/main_window.h"
#include "skin/gauge.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

namespace orvu {
namespace {

// "%.2f" with four significant digits at most, in the locale's notation (fixed-point of precision 4).
QString cpuText(float percent) {
    const double value = std::isfinite(percent) ? percent : 0.0;
    if (std::fabs(value) >= 10000.0)
        return QLocale().toString(value, 'E', 3);
    const int integerDigits =
        std::fabs(value) < 1.0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
    const double scale = std::pow(10.0, 4 - integerDigits);
    return QLocale().toString(std::nearbyint(value * scale) / scale, 'f', 2);
}

struct MeterBin {
    Gauge* TForm1::*gauge;
    std::size_t element;
};

// Each level gauge shows one spectrum element: about 345 Hz, 4823 Hz, 9130 Hz and 11542 Hz at 44.1 kHz.
constexpr std::array<MeterBin, 4> meterBins = {{
    {&TForm1::sg2, 2},
    {&TForm1::sg3, 28},
    {&TForm1::sg4, 53},
    {&TForm1::sg5, 67},
}};

// How long before the estimated end of a track the next one is opened; a track whose decoder ends
// sooner than its estimate is caught by the decoder's own end.
constexpr double followLeadSeconds = 3.0;

} // namespace

void TForm1::tmr1Timer() {
    const auto heardSeconds = [this] {
        return roundHalfEven(Bass.channelBytes2Seconds(
            session.Channel, Bass.channelGetPosition(session.Channel, engine::kPosByte)));
    };
    scrlbr1->setPosition(static_cast<int>(std::max<std::int64_t>(heardSeconds(), 0)));
    sg1->setProgress(scrlbr1->position());
    lbl2->setText(timeText(heardSeconds()));

    QString stateText;
    switch (Bass.channelIsActive(session.Channel)) {
    case engine::kActivePlaying:
        stateText = QStringLiteral("Playing...");
        break;
    case engine::kActivePaused:
        stateText = QStringLiteral("Paused.");
        break;
    case engine::kActiveStopped:
        stateText = QStringLiteral("Stopped.");
        break;
    default: // stalled: no word
        break;
    }
    if (!state.CurrentFile.isEmpty())
        lbl1->setText(state.CurrentName + QStringLiteral(" | ") + stateText + QStringLiteral("( ") +
                      QString::number(sg1->percentDone()) + QStringLiteral("% )"));

    prepareFollowingEntry();
    if (Bass.channelPassesHeard(session.Channel) > 0)
        endOfTrack();

    lbl15->setText(QStringLiteral("PL : %1/%2").arg(lst1->itemIndex() + 1).arg(lst1->count()));
    if (!tmr3->isActive() && Bass.channelIsActive(session.Channel) == engine::kActivePlaying)
        tmr3->start(); // the level meters wake again once a track plays
    lbl22->setText(QStringLiteral("CPU : ") + cpuText(Bass.getCPU()) + u'%');
}

void TForm1::endOfTrack() {
    if (lst1->count() == 0)
        return;
    endingTrack_ = true;
    if (lst1->itemIndex() == -1)
        lst1->setItemIndex(0);
    if (lst1->itemText(lst1->itemIndex()) == displayName(state.CurrentFile))
        btn9Click();
    else
        lst1DblClick();
    endingTrack_ = false;
}

int TForm1::entryAfterCurrent() const {
    const int count = lst1->count();
    if (count == 0)
        return -1;
    const int selected = std::max(lst1->itemIndex(), 0);
    if (lst1->itemText(selected) != displayName(state.CurrentFile))
        return selected;
    return selected == count - 1 ? 0 : selected + 1;
}

void TForm1::prepareFollowingEntry() {
    const std::uint32_t activity = Bass.channelIsActive(session.Channel);
    if (activity == engine::kActiveStopped || activity == engine::kActivePaused)
        return;
    const std::int64_t length = Bass.channelGetLength(session.Channel, engine::kPosByte);
    const std::int64_t position = Bass.channelGetPosition(session.Channel, engine::kPosByte);
    const bool nearEnd = Bass.channelDecodeEnded(session.Channel) ||
                         (length >= 0 && position >= 0 &&
                          Bass.channelBytes2Seconds(session.Channel, length - position) <= followLeadSeconds);
    const int entry = entryAfterCurrent();
    const QString path = entry < 0 ? QString() : playlist.path(entry);
    if (path != session.nextPath())
        session.dropNext();
    if (!nearEnd || path.isEmpty() || path == session.nextPath() || path == unplayableNext_)
        return;
    unplayableNext_ = session.prepareNext(path) ? QString() : path;
}

void TForm1::tmr3Timer() {
    if (Bass.channelIsActive(session.Channel) != engine::kActivePlaying) {
        // Nothing to show until a track plays again: a meter timer costs wake-ups even when idle.
        // The gauges keep their values; the status timer or a play restarts this timer.
        tmr3->stop();
        return;
    }
    std::array<float, 128> spectrum{};
    if (Bass.channelGetData(session.Channel, spectrum.data(), engine::kDataFft256) < 0)
        return;
    // The float bit patterns read as integers grow with the logarithm of the magnitude: log meters.
    for (const MeterBin& meter : meterBins)
        (this->*meter.gauge)->setProgress(std::bit_cast<std::int32_t>(spectrum[meter.element]));
}

void TForm1::sg1MouseMove() {
    sg1->setToolTip(scrlbr1->toolTip() + QStringLiteral(" (") + QString::number(sg1->percentDone()) +
                    QStringLiteral("%)"));
}

} // namespace orvu
