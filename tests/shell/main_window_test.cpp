// Purpose: the main window opens with its caption and design size, zeroed state, and closes cleanly.
#include "shell/main_window.h"
#include "skin/list_box.h"
#include "skin/title_bar.h"
#include "support/player_fixture.h"

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;

namespace {

// The window starts with caption "ORVU", an outer size of 832 x 506 around a client area of 824 x 472
// inside the skin's title bar and border, every state field zeroed and no channel or effect in its
// playback session.
TEST(MainWindow, StartsWithCaptionSizeAndZeroedState) {
    orvu::test::PlayerFixture player;
    TForm1& window = player.build();
    window.show();
    EXPECT_EQ(window.windowTitle(), u"ORVU"_s);
    EXPECT_EQ(window.size(), QSize(832, 506));
    EXPECT_EQ(window.frame->client()->geometry(), QRect(4, 30, 824, 472));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);

    const PlayerState& s = window.state;
    EXPECT_TRUE(s.AppDir.isEmpty());
    EXPECT_EQ(s.Settings, nullptr);
    EXPECT_EQ(s.PresetIndex, 0);
    EXPECT_TRUE(s.VisMode.isEmpty() && s.SkinIndex.isEmpty() && s.OnOpenAction.isEmpty() &&
                s.PlayerMode.isEmpty());
    EXPECT_FALSE(s.AutoEq);
    EXPECT_TRUE(s.CurrentFile.isEmpty() && s.CurrentName.isEmpty());
    EXPECT_EQ(s.ChannelInfo.freq, 0u);
    EXPECT_EQ(s.ChannelInfo.chans, 0u);
    EXPECT_EQ(s.TagDragX, 0);
    EXPECT_FALSE(s.TagDragging);
    EXPECT_EQ(window.lst1->count(), 0);
    EXPECT_EQ(window.playlist.count(), 0);

    const PlaybackSession& session = window.session;
    EXPECT_EQ(session.Channel, 0u);
    for (engine::Handle fx : session.EqFx)
        EXPECT_EQ(fx, 0u);
    EXPECT_EQ(session.EqParams.fCenter, 0.0f);
    EXPECT_EQ(session.EqParams.fBandwidth, 0.0f);
    EXPECT_EQ(session.EqParams.fGain, 0.0f);

    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

} // namespace
