#include "link/LivePoll.h"


namespace qm {

LivePoll::LivePoll(ScaleLink& link, TComPort& port, RunState& state, StatusView& status)
    : link_(link), port_(port), state_(state), status_(status) {}

void LivePoll::TimerTick() {
  link_.TickReplyTimeout();
  if (--state_.PollCountdown > 0) return;
  state_.PollCountdown = kPollPeriodTicks;
  if (!state_.PollEnabled || port_.HasPendingOperations() || !port_.Connected() ||
      state_.LinkBusy) {
    return;
  }

  Answer answer;
  {
    // A port failure closes the link inside SelectScale or SendCommand and goes on to the error
    // report once; LinkBusy is cleared on the way out.
    LinkBusyScope busy(state_);
    lastSelection_ = link_.SelectScale();
    // A scale that answers 0xDD and a number is not asked for its display.
    if (!lastSelection_->Ready()) return;
    answer = link_.SendCommand(kCommandDisplay, std::string(), kDisplayReplySize);
    if (answer.kind != Answer::Kind::Done) return;
  }
  const DisplayTexts texts = DecodeDisplay(answer.reply);
  status_.SetDisplayText(kDisplayWeight, texts.weight);
  status_.SetDisplayText(kDisplayPrice, texts.unitPrice);
  status_.SetDisplayText(kDisplayTotal, texts.totalPrice);
  status_.SetDisplayText(kDisplayPluNo, texts.pluNo);
  if (onReading_) onReading_(texts);
}

}  // namespace qm
