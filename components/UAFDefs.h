#pragma once

#include <cstdint>
#include <functional>

class QObject;

/// A notification; Sender is the object that reports it.
using TNotifyEvent = std::function<void(QObject* Sender)>;

/// A producer of audio, called on the GUI thread. It writes interleaved PCM
/// frames into Buffer, which holds Size bytes, leaves in Size the number of
/// bytes it filled, and returns false when it has nothing more (and keeps
/// returning false until its owner starts again). It must not throw: it runs
/// inside the event loop.
using TBufferEvent = std::function<bool(std::uint8_t* Buffer, std::int32_t& Size)>;
