// Records the transaction layer shares with the interface layer.
#pragma once

#include <cstdint>

#include "runtime/ipc/ipc_msg.h"
#include "runtime/osa/pool.h"
#include "runtime/tsml/comm_params.h"

struct CliTsm;

// Where an encoder writes: it advances `cursor` and returns 18 at `end`.
struct TsmlStream {
  uint8_t* cursor;
  uint8_t* end;
};

using TsmlSizeFn = uint32_t (*)(const void* request);
using TsmlEncodeFn = int (*)(const void* request, TsmlStream* stream);

struct TsmlServiceDescriptor {
  uint32_t service;
  TsmlSizeFn size;
  TsmlEncodeFn encode;
};

// What a client TSM is allocated for. No source is the layer's own
// address, no parameters the transfer defaults; the context comes back in
// a confirmed request's info.
struct TsmCliRequest {
  const LinkAddress* source;
  const LinkAddress* destination;
  uint32_t priority;
  uint8_t service;
  const CommParams* params;
  void* context;
};

struct TsmCliInfo {
  LinkAddress local;
  LinkAddress remote;
  uint8_t* data;
  uint32_t length;
  uint32_t capacity;
  uint8_t service;
  void* context;
  uint32_t outcome;
  uint32_t maxPayload;
  uint8_t segmented;
};

struct TsmCliUnconfInfo {
  LinkAddress local;
  LinkAddress remote;
  uint8_t* data;
  uint32_t length;
  uint32_t capacity;
  uint32_t priority;
  uint32_t maxPayload;
  uint8_t service;
};

struct TsmSrvInfo {
  LinkAddress local;
  LinkAddress remote;
  uint8_t* data;
  uint32_t length;
  uint32_t capacity;
  uint8_t service;
  uint8_t flag;
  uint32_t maxPayload;
  uint8_t segmented;
};

// Built by TsmlOpen from the configuration, consumed by TsmlLibOpen.
struct TsmlOpenRecord {
  uint32_t portId;
  uint8_t fixed[5];
  uint32_t cliTsmPoolSize;
  uint32_t srvTsmPoolSize;
  uint32_t apduLength;
  uint32_t numRetries;
  uint32_t apduTimeout;
  uint32_t segmentation;
  uint32_t maxSegAccepted;
  uint32_t maxSegToSend;
  uint8_t segWindowSize;
  uint32_t segTimeout;
  uint32_t maxProcessIds;
};

// What a successful registration reply tells (message offsets 4 to 27).
struct TsmlRegistrationReply {
  uint8_t version[3];
  uint32_t maxApdu;
  LinkAddress local;
  uint32_t userId;
};

// Called on the async-completion thread with the TSM, its outcome and its
// description, before the TSM is released.
using TsmlCompletionFn = void (*)(CliTsm* tsm, int status, const TsmCliInfo* info);

// A request context from the "ConfParam" pool: the pool's own link words,
// then the completion routine and the words the interface layer keeps for
// the request (user data, callback, request, value or count, allocator).
struct TsmlRequestContext {
  ListNode node;
  TsmlCompletionFn completion;
  void* words[5];
};
