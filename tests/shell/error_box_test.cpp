// Purpose: the error box's text and look, and the guard that keeps errors out of Qt's event loop.
#include "shell/error_box.h"
#include "support/message_recorder.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvu;
using namespace Qt::StringLiterals;
using orvu::test::MessageRecorder;

namespace {

// A period is added only when the message has none.
TEST(ErrorBox, AddsAPeriodWhenMissing) {
    EXPECT_EQ(errorBoxText(u"List index out of bounds (5)"_s), u"List index out of bounds (5)."_s);
    EXPECT_EQ(errorBoxText(u"Invalid Playlist."_s), u"Invalid Playlist."_s);
    EXPECT_EQ(errorBoxText(u""_s), u"."_s);
}

// Every kind of error a handler raises ends up in the box, and nothing escapes the guard.
TEST(ErrorBox, GuardShowsEveryErrorAndSwallowsIt) {
    MessageRecorder recorder;
    runGuarded([] { throw PlayerError(u"Unable to write to /x/ORVU.ini"_s); });
    runGuarded([] { throw std::runtime_error("boom"); });
    runGuarded([] { throw 42; });
    bool ran = false;
    runGuarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(recorder.texts(),
              (QStringList{u"Unable to write to /x/ORVU.ini."_s, u"boom."_s, u"Unknown error."_s}));

    bool received = false;
    auto slot = guarded([&] {
        received = true;
        throw PlayerError(u"Cannot open file \"a\". No such file or directory"_s);
    });
    slot();
    EXPECT_TRUE(received);
    EXPECT_EQ(recorder.texts().last(), u"Cannot open file \"a\". No such file or directory."_s);
}

// The real box: caption "ORVU", error icon, OK, and markup shown as plain text.
TEST(ErrorBox, RealBoxShowsPlainText) {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::RichText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        format = box->textFormat();
        box->accept();
    });
    showErrorBox(u"<b>bad</b> name"_s);
    EXPECT_EQ(title, u"ORVU"_s);
    EXPECT_EQ(text, u"<b>bad</b> name."_s);
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
