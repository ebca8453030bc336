#include "runtime/apil/apil_async.h"

#include "runtime/apil/apil.h"
#include "runtime/apil/apil_addr.h"
#include "runtime/apil/apil_hooks.h"
#include "runtime/apil/apil_status.h"

VelmoraStatus ApilAsyncExecute(const LinkAddress* to, const TsmlServiceDescriptor* row,
                               const void* request, const CommParams* params,
                               TsmlCompletionFn completion, const ApilContextWords& words,
                               CliTsm** handle) {
  auto* context = static_cast<TsmlRequestContext*>(TsmlConfParamAlloc());
  if (!context) return VELMORA_STATUS_OUT_OF_RESOURCES;
  context->completion = completion;
  for (uint32_t i = 0; i < APIL_WORD_COUNT; ++i)
    context->words[i] = words.word[i];
  CliTsm* tsm = nullptr;
  const int status = TsmlRequestExecuteAsync(nullptr, to, 0, row, request, params, context,
                                             handle ? handle : &tsm);
  if (status == 0) return VELMORA_STATUS_OK;
  TsmlConfParamFree(context);
  return ApilMapStatus(ApilEnded(uint32_t(status)));
}

void ApilAsyncCompletion(CliTsm* tsm, int outcome, const TsmCliInfo* info, ApilDeliverFn deliver) {
  ApilCompletion done{};
  done.handle = tsm;
  AddrToPublic(&info->remote, &done.remote);
  AddrToPublic(&info->local, &done.local);
  auto* context = static_cast<TsmlRequestContext*>(info->context);
  for (uint32_t i = 0; i < APIL_WORD_COUNT; ++i)
    done.words.word[i] = context->words[i];
  TsmCliBufTake(tsm, &done.answer);
  TsmlConfParamFree(context);
  ApilAsyncRelease(tsm);
  done.status =
      AsnDecodeFailureDetail(ApilEnded(uint32_t(outcome)), {done.answer.data, done.answer.length},
                             static_cast<VelmoraFailure*>(done.words.word[APIL_WORD_USER]));
  deliver(&done);
  PduDescFree(&done.answer);
}
