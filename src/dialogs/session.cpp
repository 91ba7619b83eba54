#include "dialogs/session.h"

#include "dialogs/qtoperator.h"
#include "link/exchangeengine.h"
#include "platform/enginethread.h"
#include "words/linkwords.h"

Session::Session(std::unique_ptr<ExchangeEngine> engine, Operator* op)
    : engine_(engine ? std::move(engine) : std::make_unique<ExchangeEngine>()),
      exchanges_(std::make_unique<EngineThread>(*engine_)) {
    if (op) {
        op_ = op;
    } else {
        ownedOp_ = std::make_unique<QtOperator>();
        op_ = ownedOp_.get();
    }
    engine_->SetOperator(op_);
    UseLinkWords(*engine_);
    // The windows show inputs 3 to 5 of a valve module as dry contacts.
    document_.correctsValveInputs = true;
    // Both device combos of the main window start at "1": device 0 is talked to, its new
    // number is 0.
    document_.modules.BusNumber = 0;
    document_.modules.PutNewBusNumber(0);
}

Session::~Session() {
    exchanges_.reset();
    engine_->SetOperator(nullptr);
}
