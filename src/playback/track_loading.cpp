// Purpose: loading the selected playlist entry into the playing channel, with its tags on display.
#include "core/display_name.h"
#include "core/path_bytes.h"
#include "core/rounding.h"
#include "core/time_text.h"
#include "engine/engine.h"
#include "shell/error_box.h"
#include "shell/main_window.h"
#include "skin/gauge.h"
#include "skin/link_label.h"
#include "skin/list_box.h"
#include "skin/scroll_bar.h"

#include <QFile>
#include <QLabel>
#include <QTimer>

namespace orvu {
namespace {

const QString artistSearchPrefix = QStringLiteral("http://www.google.com/search?q=");
const QString cannotPlayText = QStringLiteral(
    "ORVU Cannot Play this File. \r 1.1 File does not exist. \r 1.2 Unsupported format.\r 1.3 Missing Audio "
    "Codecs for this Format.\r\rPlease Submit this File Format to ORVU Author.");

} // namespace

void TForm1::lst1DblClick() {
    const int index = lst1->itemIndex();
    if (index >= 0 && loadEntry(index) == LoadResult::Failed)
        return;
    scrlbr2Change();
    ApplyGenrePreset();
}

TForm1::LoadResult TForm1::loadEntry(int index) {
    state.CurrentFile = playlist.path(index);
    unplayableNext_.clear();
    if (!state.CurrentFile.isEmpty())
        state.CurrentName = currentName(displayName(state.CurrentFile));
    // At the end of a track, the entry prepared to follow it already plays, joined without a gap.
    const bool followed = endingTrack_ && session.adoptNext(state.CurrentFile);
    if (!followed)
        session.open(state.CurrentFile);
    lbl1->setText(displayName(state.CurrentFile));
    if (!followed) {
        session.AttachEqualizer();
        Bass.channelPlay(session.Channel, false);
    }
    tmr3->start();

    if (!applyLength()) {
        showMessageBox(cannotPlayText, QMessageBox::Warning);
        session.release();
        return LoadResult::Failed;
    }
    showTags();
    return LoadResult::Loaded;
}

bool TForm1::applyLength() {
    std::int64_t length = Bass.channelGetLength(session.Channel, engine::kPosByte);
    if (length != -1) {
        scrlbr1->setMaximum(
            static_cast<int>(roundHalfEven(Bass.channelBytes2Seconds(session.Channel, length))));
        sg1->setMaxValue(scrlbr1->maximum());
    } else if (Bass.channelGetLength(session.Channel, engine::kPosByte) == -1) {
        return false;
    }
    length = Bass.channelGetLength(session.Channel, engine::kPosByte);
    lbl3->setText(timeText(roundHalfEven(Bass.channelBytes2Seconds(session.Channel, length))));
    return true;
}

QString TForm1::readTag(const char* format) const {
    return QString::fromStdString(Bass.tagsRead(session.Channel, format));
}

void TForm1::showTags() {
    const QString artist = readTag("%ARTI");
    lbl16->setText(QStringLiteral("Track : ") + readTag("%TRCK"));
    lbl17->setText(QStringLiteral("Title : ") + readTag("%TITL"));
    lbl18->setText(QStringLiteral("Artist : ") + artist);
    lbl19->setText(QStringLiteral("Album : ") + readTag("%ALBM"));
    lbl20->setText(QStringLiteral("Genre : ") + readTag("%GNRE"));
    lbl21->setText(QStringLiteral("Year : ") + readTag("%YEAR"));
    lbl27->setText(QStringLiteral("File : ") + lbl1->text());
    lbl24->setText(QStringLiteral("Comment : ") + readTag("%CMNT"));

    Bass.channelGetInfo(session.Channel, &state.ChannelInfo);
    const QString rate = QStringLiteral("Sample Rate : ") + QString::number(state.ChannelInfo.freq);
    if (state.ChannelInfo.chans == 1)
        lbl23->setText(rate + QStringLiteral(" Hz (Mono)"));
    else if (state.ChannelInfo.chans == 2)
        lbl23->setText(rate + QStringLiteral(" Hz (Stereo)"));

    lbl28->setUrl(artistSearchPrefix + (artist.isEmpty()
                                            ? pathForDisplay(state.CurrentFile) + QStringLiteral(" Artist")
                                            : artist));

    QString tagBar = QStringLiteral(".:: ");
    for (const QLabel* label : {lbl27, lbl16, lbl17, lbl18, lbl19, lbl20, lbl21, lbl23, lbl24})
        tagBar += label->text() + QStringLiteral(" | ");
    lbl31->setText(tagBar + QStringLiteral(" ::.."));
    lbl31->adjustSize(); // keeps its left edge, takes the new text's width
}

} // namespace orvu
