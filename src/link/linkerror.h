#pragma once
// What failed in an exchange, as the link layer reports it: the kind of failure and its detail.
// The link says nothing to the operator itself; the windows and lum08-cli put it in the
// operator's words (src/words).

#include <string>

enum class LinkFault {
    None,
    DeviceException, // the device refused the request with an exception (code)
    Busy,            // the device answered "busy": it is storing its data base
    BusyTooLong,     // busy past the write's limit: the block went out, its storing unconfirmed
    ReceiveError,    // a reply that is no reply to this request
    Incomplete,      // the reply stopped short
    NoAnswer,        // not one byte came
    Checksum,        // the reply's CRC is wrong
    Collision,       // the adapter handed back something else than what was sent
    OwnRequestHeard, // the request came back as the reply: the adapter echoes, echo is off
    PortCannotOpen,  // the port (or the gateway's connection) could not be opened
    PortNotOpen,     // no port is set up
    PortSetup,       // the port's settings could not be made (code)
    PortFailure,     // the port failed while reading or writing (adapter gone): it is closed
    Stopped,         // the operator stopped the command: the request was not sent
    Other,           // any other code
};

struct LinkError {
    LinkFault fault = LinkFault::None;
    int code = 0;         // the engine's result code; the exception's number for a device's
    int device = 0;       // the device asked, 0-based
    std::string port;     // the port's name, or the gateway's address
    bool gateway = false; // the port is a gateway on the network
    // The system's own words: why the port could not be opened (PortCannotOpen), or why it
    // failed (PortFailure); empty when unknown.
    std::string detail;

    bool Failed() const { return fault != LinkFault::None; }
};

// The kind of failure a result code stands for.
LinkFault FaultOf(int code);
