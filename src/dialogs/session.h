#pragma once
// What the program works with for the whole run: the exchange engine and its thread, the one
// document, what the operator may do, the settings the windows share, the label clipboard and
// the operator. main() owns it; it names no window and outlives every one of them, the main
// window included.

#include "dialogs/windowcontext.h"
#include "model/devicedocument.h"
#include "model/labelclipboard.h"
#include "model/operatoraccess.h"

#include <memory>

class EngineThread;
class ExchangeEngine;
class Operator;
class QtOperator;

class Session {
public:
    // Without arguments: the real serial line and message boxes. Tests hand in an engine on a
    // fake or pseudo-terminal line and a scripted operator.
    explicit Session(std::unique_ptr<ExchangeEngine> engine = nullptr, Operator* op = nullptr);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    ExchangeEngine& Engine() { return *engine_; }
    EngineThread& Exchanges() { return *exchanges_; }
    DeviceDocument& Document() { return document_; }
    OperatorAccess& Access() { return access_; }
    WindowSession& Settings() { return settings_; }
    LabelClipboard& Clipboard() { return clipboard_; }
    Operator& Op() { return *op_; }
    // The message boxes of the program's own operator, when it is the one in use.
    QtOperator* Boxes() { return ownedOp_.get(); }

private:
    std::unique_ptr<ExchangeEngine> engine_;
    // After the engine, so that it ends before the engine goes.
    std::unique_ptr<EngineThread> exchanges_;
    DeviceDocument document_;
    OperatorAccess access_;
    WindowSession settings_;
    LabelClipboard clipboard_;
    std::unique_ptr<QtOperator> ownedOp_;
    Operator* op_ = nullptr;
};
