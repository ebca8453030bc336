// Texts of the public status codes and of BACnet error classes, error
// codes, abort and reject reasons, and the status printer every program
// reports a failed call with. The texts are constant and owned here.
#pragma once

#include "bacnet/records.h"
#include "runtime/apil/velmora_status.h"

// "Unknown Velmora status" for a code without a text.
const char* VelmoraStatusText(VelmoraStatus code);
// Names read from the record through its getters, so that a null record
// selects the fallback name; the kind is not looked at.
const char* VelmoraErrorClassText(const VelmoraFailure* failure);
const char* VelmoraErrorCodeText(const VelmoraFailure* failure);
const char* VelmoraAbortReasonText(const VelmoraFailure* failure);
const char* VelmoraRejectReasonText(const VelmoraFailure* failure);
// On standard output: the message line when given, the status line, then
// for a BACnet Error, Reject or Abort with a record the class and code or
// the reason.
void VelmoraPrintStatus(VelmoraStatus code, const VelmoraFailure* failure, const char* message);
