// Low-latency mode of a serial device on Linux: the driver hands each received byte on at once
// instead of holding it for its latency timer. A USB adapter's timer otherwise adds up to 16 ms
// to each turn of an exchange, far more than the bytes take on the wire. Only the Linux port
// (ComPortPosix.cpp) asks for it.
#pragma once

namespace qm::comm {

// The driver call the request goes through: ioctl(fd, request, data) with TIOCGSERIAL or
// TIOCSSERIAL and a serial_struct; -1 with errno set when the driver refuses.
using SerialIoctl = int (*)(int fd, unsigned long request, void* data);
int SystemSerialIoctl(int fd, unsigned long request, void* data);

// Asks the driver of the device open on `fd` for low-latency mode, keeping its other serial
// settings. A pseudo-terminal is left alone (it has no such mode and no timer); a driver that
// has no serial settings or refuses is left as it is, silently. Returns whether the mode was
// asked for (TIOCSSERIAL sent).
bool RequestLowLatency(int fd, SerialIoctl ioctl = SystemSerialIoctl);

}  // namespace qm::comm
