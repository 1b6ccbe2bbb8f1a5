// Purpose: tests of the player's icon: the built-in SVG draws, at the sizes a desktop asks for.
#include "shell/player_icon.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

// The icon is the SVG, not the style's fallback: drawn at 16 and 256 pixels, its corners are clear and
// its middle is not.
TEST(PlayerIcon, TheBuiltInSvgDrawsAtEverySize) {
    const QIcon icon = orvu::playerIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 48, 256}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.width(), size);
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
        if (size == 256) {
            EXPECT_TRUE(image.save(QStringLiteral(ORVU_ICON_SHOT)));
        }
    }
}
