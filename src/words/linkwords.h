#pragma once
// The operator's words for what the link layer reports: the message box of a failed exchange,
// as the windows show it and lum08-cli prints it. Plain C++, no Qt.

#include "link/linkerror.h"
#include "model/operator.h"

#include <string>

class ExchangeEngine;

// The message for a failure, its caption and icon (empty text for none).
OperatorMessage LinkErrorMessage(const LinkError& error);
// The same for the engine's result code on device (0-based).
OperatorMessage MessageFor(const ExchangeEngine& engine, int device, int code);
// Tells the engine's operator the message for code; more, when given, follows on its own line.
void ReportError(ExchangeEngine& engine, int device, int code, const std::string& more = {});
// Gives the engine the words for what it tells its listeners (the bus monitor's result column).
void UseLinkWords(ExchangeEngine& engine);
