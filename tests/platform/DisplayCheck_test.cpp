// The display check made before Qt opens the display.
#include "platform/DisplayCheck.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <optional>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using platform::displayProblem;

namespace {

// A display number whose local socket nobody holds.
int unusedDisplay() {
    for (int n = 917;; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) return n;
}

} // namespace

TEST(DisplayCheck, NoDisplayOrNoServerIsSaidInOneLine) {
    const auto unset = displayProblem("");
    ASSERT_TRUE(unset);
    EXPECT_EQ(*unset, "no X display (DISPLAY is not set)");

    const QByteArray name = ":" + QByteArray::number(unusedDisplay());
    const auto none = displayProblem(name);
    ASSERT_TRUE(none);
    EXPECT_EQ(*none, QStringLiteral("the X display \"%1\" does not answer").arg(QString::fromLatin1(name)));

    const QString line = platform::noDisplayMessage(*none);
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_TRUE(line.contains("X11 session"));
    EXPECT_TRUE(line.contains("XWayland"));
}

TEST(DisplayCheck, AServerThatNeverAnswersIsGivenUpOnInTime) {
    // A socket where an X server would listen, that accepts and says nothing.
    QDir().mkpath("/tmp/.X11-unix");
    const int n = unusedDisplay();
    const QByteArray path = QStringLiteral("/tmp/.X11-unix/X%1").arg(n).toLocal8Bit();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.constData());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 4), 0);

    // On a thread of its own, so that a check that never gives up fails
    // here instead of hanging the test.
    auto answer = std::make_shared<std::promise<std::optional<QString>>>();
    std::future<std::optional<QString>> given = answer->get_future();
    std::thread([answer, n] {
        answer->set_value(displayProblem(":" + QByteArray::number(n), std::chrono::milliseconds(300)));
    }).detach();
    ASSERT_EQ(given.wait_for(std::chrono::seconds(60)), std::future_status::ready) << "never given up on";
    const auto problem = given.get();
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains("does not answer"));
    ::close(fd);
    ::unlink(path.constData());
}
