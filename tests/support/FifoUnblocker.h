#pragma once

// A guard for tests that put a FIFO where the program reads a file: should
// the code under test open it and wait for a writer, the FIFO is opened for
// writing after a deadline, which ends the wait, and fired() reports it.
// So a regression fails the test instead of hanging it.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace testing_support {

class FifoUnblocker {
public:
    explicit FifoUnblocker(const QString& fifo, std::chrono::milliseconds deadline = std::chrono::seconds(5))
        : name_(QFile::encodeName(fifo)), thread_([this, deadline] {
              std::unique_lock lock(mutex_);
              if (done_.wait_for(lock, deadline, [this] { return finished_; })) return;
              // Succeeds only while a reader waits on the FIFO.
              const int fd = ::open(name_.constData(), O_WRONLY | O_NONBLOCK);
              if (fd >= 0) {
                  fired_ = true;
                  ::close(fd);
              }
          }) {}
    ~FifoUnblocker() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    FifoUnblocker(const FifoUnblocker&) = delete;
    FifoUnblocker& operator=(const FifoUnblocker&) = delete;

    bool fired() const { return fired_; }

private:
    QByteArray name_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::atomic<bool> fired_{false};
    std::thread thread_;
};

} // namespace testing_support
