#include "port/ComPort.h"

#include "base/Cp1251.h"

#include "port/ComPortBackend.h"
#include "port/ComThread.h"
#include "port/NetPortUrl.h"
#include "port/PortBackends.h"
#include "port/PortNames.h"
#include "port/UiDispatcher.h"

namespace qm {

namespace {

const char kOpenFailed[] = "Unable to open com port: ";
const char kSetStateFailed[] = "Unable to set com state: ";
const char kStatusFailed[] = "Unable to read com status: ";
const char kWriteFailed[] = "Operation failed: ";
const char kReadFailed[] = "Operation aborted: ";
const char kAbortFailed[] = "Cannot abort operation: ";

[[noreturn]] void Raise(const char* prefix, int code) {
  throw EComPort(prefix + LastErrorText(code), code);
}

// The operator's sentence for line settings the port refused (Windows-1251). The names are
// those of the port dialog.
std::string RefusedSettingText(comm::LineRefusal refusal, const comm::LineState& s, int code) {
  static const char* const kStopBits[] = {"1 стоповый бит", "1,5 стоповых бита",
                                          "2 стоповых бита"};
  static const char* const kParity[] = {"None", "Odd", "Even", "Mark", "Space"};
  const std::string dataBits = std::to_string(5 + static_cast<int>(s.dataBits));
  const auto stopBits = static_cast<std::size_t>(s.stopBits);
  const auto parity = static_cast<std::size_t>(s.parity);
  std::string text;
  switch (refusal) {
    case comm::LineRefusal::StopBits:
      text = "Порт не принимает " + std::string(stopBits < 3 ? kStopBits[stopBits] : "?") +
             " при " + dataBits + " битах данных.";
      break;
    case comm::LineRefusal::DataBits:
      text = "Порт не принимает " + dataBits + " бит данных.";
      break;
    case comm::LineRefusal::Parity:
      text = "Порт не принимает четность " + std::string(parity < 5 ? kParity[parity] : "?") + ".";
      break;
    case comm::LineRefusal::CtsFlow:
      text = "Порт не поддерживает управление обменом по CTS/RTS.";
      break;
    case comm::LineRefusal::DsrFlow:
      text = "Порт не поддерживает управление обменом по DSR: линия DSR не читается.";
      break;
    case comm::LineRefusal::DtrHandshake:
      text = "Порт не поддерживает управление обменом по DTR.";
      break;
    case comm::LineRefusal::DiscardNull:
      text = "Порт не умеет отбрасывать нулевые байты.";
      break;
    case comm::LineRefusal::ErrorChar:
      text = "Порт заменяет байты с ошибкой четности только нулевым байтом.";
      break;
    case comm::LineRefusal::None:
      text = "Порт не принимает настройки линии (ошибка " + std::to_string(code) + ").";
      break;
  }
  return Win1251(text);
}

// Stores `value` in `field`; true when it changed.
template <typename T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

// The handler slots in ComPort.h name their events by these bits.
static_assert(comm::kEvRxChar == 0x0001 && comm::kEvRxFlag == 0x0002 && comm::kEvTxEmpty == 0x0004 &&
              comm::kEvCts == 0x0008 && comm::kEvDsr == 0x0010 && comm::kEvRlsd == 0x0020 &&
              comm::kEvBreak == 0x0040 && comm::kEvError == 0x0080 && comm::kEvRing == 0x0100 &&
              comm::kEvRx80Full == 0x0400);

std::string LastErrorText(int systemCode) {
  return "error " + std::to_string(systemCode) + ".";
}

// One started transfer. A read keeps the caller's buffer, filled when the transfer is collected.
struct TComPort::OperationRecord {
  std::unique_ptr<comm::PendingTransfer> transfer;
  std::string* readBuffer = nullptr;
};

class TComPort::PortBell : public ArrivalBell {
 public:
  PortBell(TComPort& port, ArrivalBell& device) : port_(port), device_(device) {}
  int Descriptor() const override { return device_.Descriptor(); }
  void Clear() override { device_.Clear(); }
  int Source() const override { return device_.Source(); }
  void Heard() override { device_.Heard(); }
  void* WaitHandle() const override { return device_.WaitHandle(); }
  bool TakeHandleRing() override { return device_.TakeHandleRing(); }
  void Deliver() override { port_.DeliverArrival(); }

 private:
  TComPort& port_;
  ArrivalBell& device_;
};

// --- sub-objects -----------------------------------------------------------------------------

void TParity::SetBits(TParityBits v) {
  if (Store(bits_, v)) port_->ApplyState();
}
void TParity::SetCheck(bool v) {
  if (Store(check_, v)) port_->ApplyState();
}
void TParity::SetReplace(bool v) {
  if (Store(replace_, v)) port_->ApplyState();
}
void TParity::SetReplaceChar(std::uint8_t v) {
  if (Store(replaceChar_, v)) port_->ApplyState();
}

void TFlowControl::SetOutCtsFlow(bool v) {
  if (Store(outCtsFlow_, v)) port_->ApplyState();
}
void TFlowControl::SetOutDsrFlow(bool v) {
  if (Store(outDsrFlow_, v)) port_->ApplyState();
}
void TFlowControl::SetControlDtr(TDtrFlowControl v) {
  if (Store(controlDtr_, v)) port_->ApplyState();
}
void TFlowControl::SetControlRts(TRtsFlowControl v) {
  if (Store(controlRts_, v)) port_->ApplyState();
}
void TFlowControl::SetXonXoffOut(bool v) {
  if (Store(xonXoffOut_, v)) port_->ApplyState();
}
void TFlowControl::SetXonXoffIn(bool v) {
  if (Store(xonXoffIn_, v)) port_->ApplyState();
}

void TComTimeouts::SetReadInterval(std::int32_t v) {
  if (Store(readInterval_, v)) port_->ApplyTimeouts();
}
void TComTimeouts::SetReadTotalMultiplier(std::int32_t v) {
  if (Store(readTotalMultiplier_, v)) port_->ApplyTimeouts();
}
void TComTimeouts::SetReadTotalConstant(std::int32_t v) {
  if (Store(readTotalConstant_, v)) port_->ApplyTimeouts();
}
void TComTimeouts::SetWriteTotalMultiplier(std::int32_t v) {
  if (Store(writeTotalMultiplier_, v)) port_->ApplyTimeouts();
}
void TComTimeouts::SetWriteTotalConstant(std::int32_t v) {
  if (Store(writeTotalConstant_, v)) port_->ApplyTimeouts();
}

// --- port properties -------------------------------------------------------------------------

TComPort::TComPort()
    : backend_(comm::CreateComPortBackend()), parity_(this), flowControl_(this), timeouts_(this) {}

TComPort::~TComPort() {
  try {
    Close();
  } catch (...) {
    // A failed cancel leaves the device open; the backend closes it on destruction.
  }
  eventThread_.reset();
}

void TComPort::SetBaudRate(TBaudRate v) {
  if (Store(baudRate_, v)) ApplyState();
}
void TComPort::SetStopBits(TStopBits v) {
  if (Store(stopBits_, v)) ApplyState();
}
void TComPort::SetDataBits(TDataBits v) {
  if (Store(dataBits_, v)) ApplyState();
}
void TComPort::SetDiscardNull(bool v) {
  if (Store(discardNull_, v)) ApplyState();
}
void TComPort::SetEventChar(std::uint8_t v) {
  if (Store(eventChar_, v)) ApplyState();
}
void TComPort::SetEvents(TEvents v) {
  events_ = v;
}
void TComPort::SetWriteBufSize(std::uint32_t v) {
  if (Store(writeBufSize_, v)) ApplyBufferSizes();
}
void TComPort::SetReadBufSize(std::uint32_t v) {
  if (Store(readBufSize_, v)) ApplyBufferSizes();
}

void TComPort::SetPort(TPortType v) {
  if (!Store(port_, v)) return;
  if (connected_) {
    Close();
    Open();
  }
}

void TComPort::SetSyncMethod(TSyncMethod v) {
  if (v == syncMethod_) return;
  if (connected_) throw EComPort("Cannot set SyncMethod while connected");
  syncMethod_ = v;
}

// --- applying settings -----------------------------------------------------------------------

comm::LineState TComPort::BuildLineState() const {
  comm::LineState s;
  s.baudRate = kBaudRateValues[static_cast<int>(baudRate_)];
  s.dataBits = dataBits_;
  s.parity = parity_.bits_;
  s.stopBits = stopBits_;
  s.parityCheck = parity_.check_;
  s.replaceErrors = parity_.replace_;
  s.replaceChar = parity_.replace_ ? parity_.replaceChar_ : 0;
  s.outCtsFlow = flowControl_.OutCtsFlow();
  s.outDsrFlow = flowControl_.OutDsrFlow();
  s.dtr = flowControl_.ControlDtr();
  s.rts = flowControl_.ControlRts();
  s.xonXoffOut = flowControl_.XonXoffOut();
  s.xonXoffIn = flowControl_.XonXoffIn();
  s.discardNull = discardNull_;
  s.eventChar = eventChar_;
  s.xonLimit = static_cast<std::uint16_t>(readBufSize_ >> 2);
  s.xoffLimit = static_cast<std::uint16_t>(readBufSize_ >> 2);
  return s;
}

void TComPort::ApplyState() {
  if (!connected_) return;
  ++applied_.state;
  const comm::LineState state = BuildLineState();
  if (int code = backend_->SetLineState(state)) {
    throw EComPort(kSetStateFailed + LastErrorText(code), code,
                   RefusedSettingText(backend_->Refused(), state, code));
  }
}

void TComPort::ApplyBufferSizes() {
  if (!connected_) return;
  ++applied_.bufferSizes;
  if (int code = backend_->SetBufferSizes(readBufSize_, writeBufSize_)) {
    Raise(kSetStateFailed, code);
  }
}

void TComPort::ApplyTimeouts() {
  if (!connected_) return;
  ++applied_.timeouts;
  comm::Timeouts t;
  t.readInterval = static_cast<std::uint32_t>(timeouts_.ReadInterval());
  t.readTotalMultiplier = static_cast<std::uint32_t>(timeouts_.ReadTotalMultiplier());
  t.readTotalConstant = static_cast<std::uint32_t>(timeouts_.ReadTotalConstant());
  t.writeTotalMultiplier = static_cast<std::uint32_t>(timeouts_.WriteTotalMultiplier());
  t.writeTotalConstant = static_cast<std::uint32_t>(timeouts_.WriteTotalConstant());
  if (int code = backend_->SetTimeouts(t)) Raise(kSetStateFailed, code);
}

void TComPort::ApplySettings() {
  ApplyBufferSizes();
  ApplyState();
  ApplyTimeouts();
}

// --- open and close --------------------------------------------------------------------------

std::uint32_t TComPort::EventMask() const {
  static constexpr std::uint32_t kBits[kEventCount] = {
      comm::kEvRxChar, comm::kEvTxEmpty, comm::kEvRxFlag, comm::kEvRing, comm::kEvBreak,
      comm::kEvCts,    comm::kEvDsr,     comm::kEvError,  comm::kEvRlsd, comm::kEvRx80Full};
  std::uint32_t mask = 0;
  for (int i = 0; i < kEventCount; ++i) {
    if (events_.Contains(static_cast<TEvent>(i))) mask |= kBits[i];
  }
  return mask;
}

void TComPort::Open() {
  Close();
  if (!events_.Empty() && syncMethod_ != TSyncMethod::smNone && dispatcher_ == nullptr) {
    throw std::logic_error("TComPort: smSynchronize and smWindow need a UiDispatcher");
  }
  devicePath_ = resolver_ ? resolver_(port_) : ResolvePortDevice(port_);
  ChooseBackend(devicePath_);
  ++applied_.opens;
  if (int code = backend_->Open(devicePath_)) Raise(kOpenFailed, code);
  connected_ = true;
  try {
    ApplySettings();
  } catch (...) {
    backend_->Close();
    connected_ = false;
    throw;
  }
  // The UI thread's waits also end when bytes arrive, not only when a hand-off comes. Where its
  // dispatcher hears the bell, the UI thread also delivers the arrivals itself and the event
  // thread leaves them alone.
  const bool bellHeard = dispatcher_ != nullptr && syncMethod_ != TSyncMethod::smNone &&
                         (events_.Empty() || backend_->BellBesideEventThread()) &&
                         backend_->Bell() != nullptr;
  constexpr std::uint32_t kArrivalEvents = comm::kEvRxChar | comm::kEvRx80Full;
  const bool delivered = bellHeard && dispatcher_->DeliversArrivals();
  arrivalMask_ = delivered ? EventMask() & kArrivalEvents : 0;
  backend_->SetReadAhead(delivered);
  if (!events_.Empty()) {
    eventThread_ = std::make_unique<TComThread>(
        *this, backend_->CreateEventWaiter(EventMask() & ~arrivalMask_, readBufSize_, handled_));
    threadCreated_ = true;
  } else {
    threadCreated_ = false;
  }
  if (bellHeard) {
    bell_ = std::make_unique<PortBell>(*this, *backend_->Bell());
    bellDispatcher_ = dispatcher_;
    bellDispatcher_->SetArrivalBell(bell_.get());
  }
  if (OnOpen) OnOpen(*this);
}

void TComPort::ChooseBackend(const std::string& device) {
  if (IsNetPortName(device) != netBackend_) {
    backend_ = comm::CreatePortBackend(device);
    netBackend_ = !netBackend_;
  }
}

void TComPort::Close() {
  if (!connected_) return;
  AbortAllOperations();
  if (threadCreated_) {
    eventThread_.reset();  // sets StopEvent and joins
    threadCreated_ = false;
  }
  if (bellDispatcher_ != nullptr) {
    bellDispatcher_->SetArrivalBell(nullptr);
    bellDispatcher_ = nullptr;
  }
  bell_.reset();
  arrivalMask_ = 0;
  if (backend_->IsOpen()) backend_->Close();
  connected_ = false;
  if (OnClose) OnClose(*this);
}

// --- transfers -------------------------------------------------------------------------------

std::int32_t TComPort::StartTransfer(bool isWrite, const std::string& data, std::string* buffer,
                                     std::uint32_t count, bool wait) {
  comm::StartResult started = isWrite ? backend_->StartWrite(data) : backend_->StartRead(count);
  if (started.pending) {
    // Only a transfer that goes on needs its record; one that completed at once would push and
    // pop it again before anyone could look, so it gets none (one allocation less per call).
    auto record = std::make_unique<OperationRecord>();
    record->transfer = std::move(started.pending);
    record->readBuffer = buffer;
    // A pending read fills the caller's buffer when it is collected; until then it holds the
    // requested length.
    if (buffer) buffer->assign(count, '\0');
    pendingOperations_.push(std::move(record));
    if (wait) return WaitForLastOperation();
    pendingOperations_.top()->transfer->StartBackground();
    return -1;
  }
  if (started.error) Raise(isWrite ? kWriteFailed : kReadFailed, started.error);
  if (buffer) {
    // The bytes received, then zeros up to the requested length.
    *buffer = std::move(started.received);
    buffer->resize(count, '\0');
  }
  return started.count;
}

std::int32_t TComPort::Write(const std::string& data, bool wait) {
  const std::int32_t count = StartTransfer(true, data, nullptr, 0, wait);
  // A write with wait ends when its bytes have left, not when the driver took them: whoever
  // waits for the answer next must measure the far end, not the line.
  if (wait && count > 0) {
    if (int code = backend_->Drain()) Raise(kWriteFailed, code);
  }
  return count;
}

bool TComPort::WriteReachesLine() const {
  return connected_ && backend_->DrainReachesLine();
}

std::chrono::microseconds TComPort::LineTime(std::size_t bytes) const {
  return comm::CharacterTime(BuildLineState()) * static_cast<std::int64_t>(bytes);
}

std::int32_t TComPort::Read(std::string& buffer, std::uint32_t count, bool wait) {
  return StartTransfer(false, std::string(), &buffer, count, wait);
}

std::int32_t TComPort::WaitForLastOperation() {
  if (pendingOperations_.empty()) return -2;
  std::unique_ptr<OperationRecord> record = std::move(pendingOperations_.top());
  pendingOperations_.pop();
  comm::TransferResult result = record->transfer->Wait();
  if (result.error) Raise(kWriteFailed, result.error);
  if (record->readBuffer) {
    const std::string& got = record->transfer->Received();
    record->readBuffer->replace(0, got.size(), got);
  }
  return result.count;
}

void TComPort::AbortAllOperations() {
  if (pendingOperations_.empty()) return;
  int code = backend_->CancelTransfers();
  // Every record is cancelled and freed whether or not the device accepted the cancel.
  while (!pendingOperations_.empty()) {
    pendingOperations_.top()->transfer->Cancel();
    pendingOperations_.pop();
  }
  if (code) Raise(kAbortFailed, code);
}

bool TComPort::LineCounts(std::uint64_t& sent, std::uint64_t& received) const {
  return connected_ && backend_->LineCounts(sent, received);
}

std::uint32_t TComPort::InputCount() {
  std::uint32_t count = 0;
  if (int code = backend_->InputCount(count)) Raise(kStatusFailed, code);
  return count;
}

// --- events ----------------------------------------------------------------------------------

void TComPort::DispatchOne(std::uint32_t bit) {
  switch (bit) {
    case comm::kEvRxChar:
      if (OnRxChar) OnRxChar(*this, static_cast<std::int32_t>(InputCount()));
      break;
    case comm::kEvTxEmpty:
      if (OnTxEmpty) OnTxEmpty(*this);
      break;
    case comm::kEvBreak:
      if (OnBreak) OnBreak(*this);
      break;
    case comm::kEvRing:
      if (OnRing) OnRing(*this);
      break;
    case comm::kEvCts:
      if (OnCTS) OnCTS(*this);
      break;
    case comm::kEvDsr:
      if (OnDSR) OnDSR(*this);
      break;
    case comm::kEvRxFlag:
      if (OnRxFlag) OnRxFlag(*this);
      break;
    case comm::kEvRlsd:
      if (OnRLSD) OnRLSD(*this);
      break;
    case comm::kEvError:
      if (OnError) OnError(*this);
      break;
    case comm::kEvRx80Full:
      if (OnRx80Full) OnRx80Full(*this);
      break;
    default:
      break;
  }
}

void TComPort::DeliverArrival() {
  if (!connected_ || arrivalMask_ == 0) return;
  std::uint32_t events = 0;
  std::uint32_t inQue = 0;
  // A device that fails here (hung up, pulled out) rang for its failure, not for bytes. The
  // event thread reports nothing then either: the failure is met once, by whoever uses the port
  // next, not by a receive handler's caller.
  if (backend_->TakeArrival(arrivalMask_, events, inQue) != 0) return;
  events &= HandledEvents();
  // The count just taken is the queue's size at the call: asking again would only cost a call.
  if ((events & comm::kEvRxChar) && OnRxChar) OnRxChar(*this, static_cast<std::int32_t>(inQue));
  if ((events & comm::kEvRx80Full) && OnRx80Full) OnRx80Full(*this);
}

void TComPort::DispatchEvents(std::uint32_t mask) {
  for (std::uint32_t bit : comm::kDispatchOrder) {
    if (mask & bit) DispatchOne(bit);
  }
}

}  // namespace qm
