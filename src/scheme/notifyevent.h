#pragma once
// An event slot of the scheme's components: a handler called with the object that fired it.

#include <QObject>
#include <functional>

using TNotifyEvent = std::function<void(QObject* sender)>;
