// Link message buffers. A message is one frame in memory: its 32-bit wire
// length word and then the message area (the 64-byte header, the payload
// length word and the payload, laid out as ipc_frame.h says), so a frame is
// written from and read into the buffer as it is. Messages of up to 164
// payload bytes come from a process-wide pool of 232-byte buffers; larger
// ones from the private heap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/ipc/ipc_frame.h"

struct IpcMsg {
  IpcMsg* next;            // queue link
  uint32_t capacity;       // bytes of message area: 232 in the pool, more on the heap
  uint8_t frameLength[4];  // the wire length word; the message area follows
};

// The message area begins right after the length word.
static_assert(sizeof(IpcMsg) == offsetof(IpcMsg, frameLength) + IPC_LENGTH_WORD);

constexpr uint32_t IPC_POOL_MSG_AREA = 232;
constexpr uint32_t IPC_POOL_BLOCK_MSGS = 16;
constexpr uint32_t IPC_POOL_PAYLOAD_MAX = IPC_POOL_MSG_AREA - IPC_PAYLOAD_OFFSET;  // 164
// Largest payload a message can be built for (the frame length must keep
// its top bit clear).
constexpr uint32_t IPC_MSG_PAYLOAD_LIMIT = 2147483578u;

// ---------------------------------------------------------------- pool

// Adds a user (one per open connection); the first creates the first block.
// Called under the operating-system layer's lock. False when no block could
// be made.
bool IpcMsgPoolAcquire();
// Drops a user. The blocks go only when no user is left and every pool
// message has come back; until then they stay for the messages still held.
void IpcMsgPoolRelease();

// Every new message has next none, frame length 0 and its first 68 bytes
// (header and payload length) zero.
//
// A pool message; none when no block could be made or no connection uses
// the pool.
IpcMsg* IpcMsgPoolGet();
// A heap message with n bytes of message area (n above 232; smaller n gets
// a pool message).
IpcMsg* IpcMsgAllocLarge(uint32_t n);
// A message for a payload of that size; none above IPC_MSG_PAYLOAD_LIMIT.
IpcMsg* IpcMsgAlloc(uint32_t payloadSize);
// A message whose area holds a received frame of L bytes.
IpcMsg* IpcMsgAllocFrame(uint32_t frameSize);
void IpcMsgFree(IpcMsg* msg);
void IpcMsgFreeChain(IpcMsg* msg);

// What the pool holds now (for tests and reports).
struct IpcMsgPoolStats {
  uint32_t users;
  uint32_t blocks;
  uint32_t freeMsgs;
  uint32_t heldMsgs;  // pool messages out of the free list
};
IpcMsgPoolStats IpcMsgPoolGetStats();

// ---------------------------------------------------------------- accessors

// The message area (capacity bytes); empty for none.
std::span<uint8_t> IpcMsgArea(IpcMsg* msg);
// The first L bytes of the area, L being the frame length word (a received
// message, or one that has been prepared for writing).
std::span<uint8_t> IpcMsgData(IpcMsg* msg);
// The length word and the message: what goes on the wire.
uint8_t* IpcMsgFrame(IpcMsg* msg);

uint32_t IpcMsgGetFrameLength(const IpcMsg* msg);
void IpcMsgSetFrameLength(IpcMsg* msg, uint32_t length);

// The header (first byte of the area); none for none.
uint8_t* IpcMsgGetHeader(IpcMsg* msg);
// The payload length word, which the payload follows; none for none.
uint8_t* IpcMsgGetLength(IpcMsg* msg);
uint8_t* IpcMsgGetPayload(IpcMsg* msg);
// Payload capacity: the area less the 68 bytes before the payload.
uint32_t IpcMsgGetCapacity(const IpcMsg* msg);
IpcMsg* IpcMsgGetNext(const IpcMsg* msg);
void IpcMsgSetNext(IpcMsg* msg, IpcMsg* next);

uint16_t IpcMsgGetKind(IpcMsg* msg);
void IpcMsgSetKind(IpcMsg* msg, uint16_t kind);
uint16_t IpcMsgGetStatus(IpcMsg* msg);
uint32_t IpcMsgGetPayloadLength(IpcMsg* msg);
void IpcMsgSetPayloadLength(IpcMsg* msg, uint32_t length);

// Prepares a message for writing: normalises it and stores the frame length
// (0 when the kind and payload length do not fit the message).
uint32_t IpcFrameLength(IpcMsg* msg);
// Checks a received message (its frame length word gives L), logging why a
// frame is refused.
bool IpcFrameCheck(IpcMsg* msg);

// ---------------------------------------------------------------- descriptors

// Message data held by a transaction: the message, its payload, the bytes
// written or received, the capacity asked for. All zero when empty.
struct PduDesc {
  IpcMsg* msg;
  uint8_t* data;
  uint32_t length;
  uint32_t capacity;
};

bool PduDescAlloc(uint32_t size, PduDesc* desc);
// Makes room for size payload bytes, keeping the header and the data; the
// descriptor is unchanged when no message could be had.
bool PduDescGrow(uint32_t size, PduDesc* desc);
void PduDescFromMsg(PduDesc* desc, IpcMsg* msg);
void PduDescClear(PduDesc* desc);
void PduDescFree(PduDesc* desc);
