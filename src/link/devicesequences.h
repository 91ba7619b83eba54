#pragma once
// Device sequences: the multi-request commands of the program as plain functions over the
// engine, the model, a progress callback and the operator. The windows call them and show the
// result; a non-zero code is for ExchangeEngine::ReportError on the device the sequence leaves
// in serv.BusNumber.

#include <functional>
#include <string>

class Operator;
class ExchangeEngine;
class NetworkBlocks;
class InputProgram;
class ReserveCopies;
class ModuleConfig;

struct DeviceModel {
    ModuleConfig& serv;
    InputProgram& lum;
    NetworkBlocks& f15;
    ReserveCopies& reserv;
};

// Changes the bus number of device serv.BusNumber to newNumber (0-based) with block 99. From the
// send on the device is addressed by its new number: serv.BusNumber = serv.NewBusNumber, and
// onSwitch lets the window show it.
int ChangeBusNumber(ExchangeEngine& port, ModuleConfig& serv, int newNumber,
                    const std::function<void()>& onSwitch);

// The share of a command's requests done so far, and the step now under way ("Модуль 3 из 6").
using ShareProgress = std::function<void(int done, int total, const std::string& step)>;

// What the whole-device read tells its window as it goes.
struct ReadProgress {
    std::function<void()> step;        // one step of the progress bar
    std::function<void()> configTaken; // the configuration is in: show the module table
    ShareProgress share;
};

// Reads the configuration, every fitted module's records and the network image of device
// serv.BusNumber. numUstrZ is the new-number choice the window shows after the configuration.
// Returns 0, or the code of the request that failed (what came before it stays in the model).
int ReadWholeDevice(ExchangeEngine& port, DeviceModel model, int numUstrZ,
                    const ReadProgress& progress);

// How far a whole-device write got: blocks confirmed by the device.
struct WriteReport {
    int modulesTotal = 0;
    int modulesWritten = 0;
    bool networkWritten = false;
};
// For the operator after a write that did not finish: what the device now holds.
std::string PartialWriteText(const WriteReport& report);

// Writes every fitted module's records and the network image, after checking the access level,
// that every fitted module's records are known (read or loaded), and that the device holds the
// modules of modifCode (the code shown on screen). Refusals are told to the operator and
// return -1 (nothing written, model as before); an exchange failure returns its code; 0 on
// success. onSend steps the progress bar after every send; started is called once the checks
// passed and the writing begins; report, when given, receives how far the write got.
int WriteWholeDevice(ExchangeEngine& port, DeviceModel model, Operator& op,
                     const std::string& modifCode, const std::function<void()>& started,
                     const std::function<void()>& onSend, WriteReport* report = nullptr,
                     const ShareProgress& share = {});

// Reads module m's (1..6) records into the model and their reserve copy.
int ReadModule(ExchangeEngine& port, DeviceModel model, int m);

// Writes module m's (1..6) records and confirms; on success the reserve copy of all records
// takes the model's records.
int WriteModule(ExchangeEngine& port, DeviceModel model, int m,
                const std::function<void()>& onSend);

// Writes the network image (block 17) without the initial pause; the device moves to
// serv.NewBusNumber with it. On success the reserve copy takes the image and it counts as
// unchanged.
int WriteNetworkImage(ExchangeEngine& port, DeviceModel model, const std::function<void()>& onSend);
