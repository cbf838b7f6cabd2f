#pragma once

#include <QtGlobal>

// Tells a connection the server reset from one it closed: the socket layer reports both alike.
// It holds a second descriptor of the connected socket, so the socket outlives the first
// descriptor being closed and its end state can still be read.
class ResetWatch {
public:
    ResetWatch() = default;
    ~ResetWatch() { release(); }
    ResetWatch(const ResetWatch&) = delete;
    ResetWatch& operator=(const ResetWatch&) = delete;

    // Starts watching a connected socket; stops watching any other.
    void watch(qintptr descriptor);
    // Whether the watched connection ended in a reset (RST) rather than a close (FIN).
    bool wasReset() const;
    void release();

private:
    int fd_ = -1;
};
