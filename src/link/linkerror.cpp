#include "link/linkerror.h"

#include "link/exchangeengine.h"
#include "link/gatewayaddress.h"

LinkFault FaultOf(int code) {
    switch (code) {
    case ResultCode::Ok:
        return LinkFault::None;
    case ResultCode::Busy:
        return LinkFault::Busy;
    case ResultCode::ReceiveError:
        return LinkFault::ReceiveError;
    case ResultCode::Timeout:
        return LinkFault::Incomplete;
    case ResultCode::NoAnswer:
        return LinkFault::NoAnswer;
    case ResultCode::Checksum:
        return LinkFault::Checksum;
    case ResultCode::PortCannotOpen:
        return LinkFault::PortCannotOpen;
    case ResultCode::PortNotSetUp:
    case ResultCode::PortSwitchOff:
    case ResultCode::PortSetupError:
        return LinkFault::PortSetup;
    case ResultCode::PortNotOpen:
        return LinkFault::PortNotOpen;
    case ResultCode::PortFailure:
        return LinkFault::PortFailure;
    case ResultCode::Stopped:
        return LinkFault::Stopped;
    case ResultCode::BusyTooLong:
        return LinkFault::BusyTooLong;
    case ResultCode::Collision:
        return LinkFault::Collision;
    case ResultCode::OwnRequestHeard:
        return LinkFault::OwnRequestHeard;
    default:
        return code > 0 && code < ResultCode::ReceiveError ? LinkFault::DeviceException
                                                           : LinkFault::Other;
    }
}

LinkError ExchangeEngine::ErrorOf(int device, int code) const {
    LinkError error;
    error.fault = FaultOf(code);
    error.code = code;
    error.device = device;
    error.port = PortName;
    error.gateway = IsGatewayName(PortName);
    if (error.fault == LinkFault::PortCannotOpen)
        error.detail = openFailureText_;
    else if (error.fault == LinkFault::PortFailure)
        error.detail = portFailureText_;
    return error;
}
