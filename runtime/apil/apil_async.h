// Asynchronous requests of the interface: the request context that carries
// the caller's callback and records from the call to its completion, and the
// steps every completion takes on the "confimed async receive" thread.
#pragma once

#include <cstdint>

#include "bacnet/records.h"
#include "runtime/apil/velmora_status.h"
#include "runtime/tsml/tsml.h"

// The words a request context keeps after its completion routine.
enum ApilContextWord : uint32_t {
  APIL_WORD_USER,       // the caller's user data: for the reads, the failure record
  APIL_WORD_CALLBACK,   // the caller's callback
  APIL_WORD_RECORD,     // the request record, or the result array
  APIL_WORD_VALUE,      // the value record, or the read-access count
  APIL_WORD_ALLOCATOR,  // or none
  APIL_WORD_COUNT,
};

struct ApilContextWords {
  void* word[APIL_WORD_COUNT];
};

// A completed asynchronous request, as its completion hands it on: the
// transaction and the request context are already given back (the handle
// only names the request), so that a callback may start the next one.
struct ApilCompletion {
  CliTsm* handle;
  VelmoraAddress remote;  // the device's side
  VelmoraAddress local;
  // 0, or the public status of the failure, whose BACnet detail is in the
  // failure record of APIL_WORD_USER.
  VelmoraStatus status;
  PduDesc answer;  // the confirmation's data
  ApilContextWords words;
};
using ApilDeliverFn = void (*)(ApilCompletion* done);

// Sends a request through the descriptor row to `to` with a request context
// whose completion routine and words are those given. 0 once it is sent,
// the handle (when asked for) set before it can complete; else the public
// status, with nothing left behind: 33 when no context is free.
VelmoraStatus ApilAsyncExecute(const LinkAddress* to, const TsmlServiceDescriptor* row,
                               const void* request, const CommParams* params,
                               TsmlCompletionFn completion, const ApilContextWords& words,
                               CliTsm** handle);

// The completion of an asynchronous request: the addresses in public form,
// the confirmation's data taken, the context and the transaction given
// back, a failure's detail in the failure record; then `deliver`, and the
// data is freed.
void ApilAsyncCompletion(CliTsm* tsm, int outcome, const TsmCliInfo* info, ApilDeliverFn deliver);
