// Every (state, event) pair of both TSM machines, allowed or not, checked
// against the transition lists written as the protocol describes them.
#include "runtime/tsml/tsml_fsm.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

struct Allowed {
  uint8_t from;
  uint8_t event;
  uint8_t to;
  bool frees;
};

// Client transactions, as (from, event) -> to; "frees" = back to the pool.
constexpr Allowed kCliAllowed[] = {
    {0, CLI_EV_ALLOC_CONFIRMED, 1, false},
    {0, CLI_EV_ALLOC_UNCONFIRMED, 9, false},
    {1, CLI_EV_SEND_REQUEST, 2, false},
    {2, CLI_EV_REQUEST_ACK_OK, 3, false},
    {2, CLI_EV_REQUEST_ACK_FAIL, 1, false},
    {3, CLI_EV_SEND_CANCEL, 5, false},
    {5, CLI_EV_CANCEL_ACK_OK, 1, false},
    {5, CLI_EV_CANCEL_ACK_FAIL, 3, false},
    {6, CLI_EV_CANCEL_ACK_FAIL, 4, false},
    {7, CLI_EV_CANCEL_ACK_FAIL, 1, false},
    {8, CLI_EV_CANCEL_ACK_FAIL, 0, true},
    {3, CLI_EV_CONFIRMATION, 4, false},
    {5, CLI_EV_CONFIRMATION, 6, false},
    {4, CLI_EV_TAKE, 1, false},
    {6, CLI_EV_TAKE, 7, false},
    {1, CLI_EV_RELEASE, 0, true},
    {7, CLI_EV_RELEASE, 8, false},
    {9, CLI_EV_SEND_UNCONFIRMED, 10, false},
    {10, CLI_EV_UNCONFIRMED_ACK, 9, false},
    {9, CLI_EV_RELEASE_UNCONFIRMED, 0, true},
    // A caller that gives up while the confirmation is owed parks the slot
    // until the confirmation or a lost link frees it.
    {3, CLI_EV_RELEASE, 11, false},
    {11, CLI_EV_CONFIRMATION, 0, true},
    // A write that did not go out is undone.
    {0, CLI_EV_WRITE_FAILED, 0, true},
    {2, CLI_EV_WRITE_FAILED, 1, false},
    {7, CLI_EV_WRITE_FAILED, 1, false},
    {5, CLI_EV_WRITE_FAILED, 3, false},
    {6, CLI_EV_WRITE_FAILED, 4, false},
    {8, CLI_EV_WRITE_FAILED, 0, true},
    {10, CLI_EV_WRITE_FAILED, 9, false},
    // A lost link ends every outstanding exchange; idle states stay.
    {0, CLI_EV_LINK_LOST, 0, false},
    {1, CLI_EV_LINK_LOST, 1, false},
    {2, CLI_EV_LINK_LOST, 1, false},
    {3, CLI_EV_LINK_LOST, 4, false},
    {4, CLI_EV_LINK_LOST, 4, false},
    {5, CLI_EV_LINK_LOST, 4, false},
    {6, CLI_EV_LINK_LOST, 4, false},
    {7, CLI_EV_LINK_LOST, 1, false},
    {8, CLI_EV_LINK_LOST, 0, true},
    {9, CLI_EV_LINK_LOST, 9, false},
    {10, CLI_EV_LINK_LOST, 9, false},
    {11, CLI_EV_LINK_LOST, 0, true},
};

constexpr Allowed kSrvAllowed[] = {
    {0, SRV_EV_REQUEST, 1, false},        {1, SRV_EV_ABORT, 2, false},
    {3, SRV_EV_ABORT, 3, false},          {4, SRV_EV_ABORT, 4, false},
    {5, SRV_EV_ABORT, 5, false},          {1, SRV_EV_TAKEN, 3, false},
    {2, SRV_EV_TAKEN, 5, false},          {3, SRV_EV_RESPONSE_SENT, 4, false},
    {4, SRV_EV_RESPONSE_ACK_OK, 0, true}, {4, SRV_EV_RESPONSE_ACK_FAIL, 3, false},
    {3, SRV_EV_DROP, 5, false},           {5, SRV_EV_DROP_ACK, 0, true},
    {0, SRV_EV_LINK_LOST, 0, false},      {1, SRV_EV_LINK_LOST, 0, true},
    {2, SRV_EV_LINK_LOST, 0, true},       {3, SRV_EV_LINK_LOST, 3, false},
    {4, SRV_EV_LINK_LOST, 3, false},      {5, SRV_EV_LINK_LOST, 0, true},
};

template <size_t N>
std::map<std::pair<int, int>, Allowed> Index(const Allowed (&list)[N]) {
  std::map<std::pair<int, int>, Allowed> m;
  for (const Allowed& a : list) {
    EXPECT_TRUE(m.emplace(std::make_pair(a.from, a.event), a).second)
        << "duplicate case " << int(a.from) << "/" << int(a.event);
  }
  return m;
}

template <typename Step>
void ExpectPair(const std::map<std::pair<int, int>, Allowed>& allowed, int s, int e, Step step) {
  auto it = allowed.find({s, e});
  SCOPED_TRACE(testing::Message() << "state " << s << " event " << e);
  if (it == allowed.end()) {
    EXPECT_EQ(step.action, TsmAction::Reject);
    return;
  }
  if (it->second.frees) {
    EXPECT_EQ(step.action, TsmAction::Free);
    EXPECT_EQ(step.next, 0);
  } else {
    EXPECT_EQ(step.action, TsmAction::Go);
    EXPECT_EQ(step.next, it->second.to);
  }
}

TEST(TsmlFsm, EveryClientPairFollowsTheTransitionList) {
  auto allowed = Index(kCliAllowed);
  // One state beyond the table is checked too: it must be refused.
  for (int s = 0; s <= CLI_STATE_COUNT; ++s)
    for (int e = 0; e < CLI_EVENT_COUNT; ++e)
      ExpectPair(allowed, s, e, CliTransition(s, CliEvent(e)));
}

TEST(TsmlFsm, EveryServerPairFollowsTheTransitionList) {
  auto allowed = Index(kSrvAllowed);
  for (int s = 0; s <= SRV_STATE_COUNT; ++s)
    for (int e = 0; e < SRV_EVENT_COUNT; ++e)
      ExpectPair(allowed, s, e, SrvTransition(s, SrvEvent(e)));
}

}  // namespace
