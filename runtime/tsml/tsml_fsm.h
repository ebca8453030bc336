// State machines of client and server TSMs, kept as data: one row per state,
// one column per event, each cell the next state and what the caller does.
// A cell marked Reject is a pair the protocol does not allow: for an event from
// the daemon that ends the link, for a call from the interface it is a refusal.
#pragma once

#include <array>
#include <cstdint>

enum class TsmAction : uint8_t {
  Reject,  // pair not allowed
  Go,      // move to the next state
  Free,    // return the TSM to its pool (next state 0)
};

struct TsmStep {
  uint8_t next;
  TsmAction action;
};

// Client TSM states.
enum CliState : uint8_t {
  CLI_FREE = 0,
  CLI_ALLOCATED = 1,        // allocated for a confirmed request, nothing outstanding
  CLI_REQ_SENT = 2,         // confirmed request written, awaiting its acknowledgement
  CLI_AWAIT_CONF = 3,       // acknowledged, awaiting the confirmation
  CLI_CONFIRMED = 4,        // confirmation received, not yet taken
  CLI_CANCEL_SENT = 5,      // cancel written, awaiting its acknowledgement
  CLI_CANCEL_CONF = 6,      // confirmation received while the cancel is outstanding
  CLI_CANCEL_TAKEN = 7,     // confirmation taken while the cancel is outstanding
  CLI_CANCEL_RELEASED = 8,  // released while the cancel is outstanding
  CLI_UNCONF = 9,           // allocated for unconfirmed requests
  CLI_UNCONF_SENT = 10,     // unconfirmed request written, awaiting its acknowledgement
  // Released by a caller that gave up waiting for the confirmation: the slot
  // goes back to the pool once the daemon's confirmation (or a lost link)
  // ends the transaction, so neither the slot nor its identifier is reused
  // while the daemon still owes an answer for it.
  CLI_ABANDONED = 11,
  CLI_STATE_COUNT = 12,
};

enum CliEvent : uint8_t {
  CLI_EV_ALLOC_CONFIRMED,
  CLI_EV_ALLOC_UNCONFIRMED,
  CLI_EV_SEND_REQUEST,  // write IPC_KIND_CONF_REQUEST
  CLI_EV_REQUEST_ACK_OK,
  CLI_EV_REQUEST_ACK_FAIL,
  CLI_EV_SEND_CANCEL,  // write IPC_KIND_CANCEL
  CLI_EV_CANCEL_ACK_OK,
  CLI_EV_CANCEL_ACK_FAIL,
  CLI_EV_CONFIRMATION,  // IPC_KIND_CONFIRMATION
  CLI_EV_TAKE,          // the caller takes the confirmation
  CLI_EV_RELEASE,
  CLI_EV_SEND_UNCONFIRMED,  // write IPC_KIND_UNCONF_REQUEST
  CLI_EV_UNCONFIRMED_ACK,   // any status
  CLI_EV_RELEASE_UNCONFIRMED,
  CLI_EV_WRITE_FAILED,  // the write of a send did not go out: undo it
  CLI_EV_LINK_LOST,
  CLI_EVENT_COUNT,
};

enum SrvState : uint8_t {
  SRV_FREE = 0,
  SRV_QUEUED = 1,     // request received and queued
  SRV_ABORTED = 2,    // the remote client aborted it while it was queued
  SRV_TAKEN = 3,      // with a delivery thread
  SRV_RESP_SENT = 4,  // response written, awaiting its acknowledgement
  SRV_DROP_SENT = 5,  // drop written, awaiting its acknowledgement
  SRV_STATE_COUNT = 6,
};

enum SrvEvent : uint8_t {
  SRV_EV_REQUEST,        // IPC_KIND_CONF_INDICATION
  SRV_EV_ABORT,          // IPC_KIND_SERVER_ABORTED
  SRV_EV_TAKEN,          // popped from its queue
  SRV_EV_RESPONSE_SENT,  // a server response written (IpcKindIsServerResponse)
  SRV_EV_RESPONSE_ACK_OK,
  SRV_EV_RESPONSE_ACK_FAIL,  // also: write failed or no reply
  SRV_EV_DROP,               // IPC_KIND_SERVER_DROP written
  SRV_EV_DROP_ACK,
  SRV_EV_LINK_LOST,
  SRV_EVENT_COUNT,
};

namespace tsml_fsm_detail {
inline constexpr TsmStep X{0, TsmAction::Reject};
constexpr TsmStep G(uint8_t s) { return {s, TsmAction::Go}; }
inline constexpr TsmStep F{0, TsmAction::Free};
}  // namespace tsml_fsm_detail

using CliTable = std::array<std::array<TsmStep, CLI_EVENT_COUNT>, CLI_STATE_COUNT>;
using SrvTable = std::array<std::array<TsmStep, SRV_EVENT_COUNT>, SRV_STATE_COUNT>;

// clang-format off
inline constexpr CliTable kCliTransitions = [] {
    using namespace tsml_fsm_detail;
    // Columns: alloc-c alloc-u send-req ack-ok ack-fail send-cancel cancel-ok
    //          cancel-fail conf take release send-unc unc-ack release-unc
    //          write-failed link-lost
    return CliTable{{
        /* 0 */ {G(1), G(9), X,    X,    X,    X,    X,    X,    X,    X,    X,    X,     X,    X,    F,    G(0)},
        /* 1 */ {X,    X,    G(2), X,    X,    X,    X,    X,    X,    X,    F,    X,     X,    X,    X,    G(1)},
        /* 2 */ {X,    X,    X,    G(3), G(1), X,    X,    X,    X,    X,    X,    X,     X,    X,    G(1), G(1)},
        /* 3 */ {X,    X,    X,    X,    X,    G(5), X,    X,    G(4), X,    G(11),X,     X,    X,    X,    G(4)},
        /* 4 */ {X,    X,    X,    X,    X,    X,    X,    X,    X,    G(1), X,    X,     X,    X,    X,    G(4)},
        /* 5 */ {X,    X,    X,    X,    X,    X,    G(1), G(3), G(6), X,    X,    X,     X,    X,    G(3), G(4)},
        /* 6 */ {X,    X,    X,    X,    X,    X,    X,    G(4), X,    G(7), X,    X,     X,    X,    G(4), G(4)},
        /* 7 */ {X,    X,    X,    X,    X,    X,    X,    G(1), X,    X,    G(8), X,     X,    X,    G(1), G(1)},
        /* 8 */ {X,    X,    X,    X,    X,    X,    X,    F,    X,    X,    X,    X,     X,    X,    F,    F   },
        /* 9 */ {X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    G(10), X,    F,    X,    G(9)},
        /*10 */ {X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,    X,     G(9), X,    G(9), G(9)},
        /*11 */ {X,    X,    X,    X,    X,    X,    X,    X,    F,    X,    X,    X,     X,    X,    X,    F   },
    }};
}();

inline constexpr SrvTable kSrvTransitions = [] {
    using namespace tsml_fsm_detail;
    // Columns: request abort taken resp-sent resp-ok resp-fail drop drop-ack link-lost
    return SrvTable{{
        /* 0 */ {G(1), X,    X,    X,    X,    X,    X,    X,    G(0)},
        /* 1 */ {X,    G(2), G(3), X,    X,    X,    X,    X,    F   },
        /* 2 */ {X,    X,    G(5), X,    X,    X,    X,    X,    F   },
        /* 3 */ {X,    G(3), X,    G(4), X,    X,    G(5), X,    G(3)},
        /* 4 */ {X,    G(4), X,    X,    F,    G(3), X,    X,    G(3)},
        /* 5 */ {X,    G(5), X,    X,    X,    X,    X,    F,    F   },
    }};
}();
// clang-format on

// Out-of-range states are rejected like any pair the table does not allow.
constexpr TsmStep CliTransition(uint32_t state, CliEvent ev) {
  if (state >= CLI_STATE_COUNT || ev >= CLI_EVENT_COUNT) return {0, TsmAction::Reject};
  return kCliTransitions[state][ev];
}
constexpr TsmStep SrvTransition(uint32_t state, SrvEvent ev) {
  if (state >= SRV_STATE_COUNT || ev >= SRV_EVENT_COUNT) return {0, TsmAction::Reject};
  return kSrvTransitions[state][ev];
}
