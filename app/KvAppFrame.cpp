#include "app/KvAppFrame.h"

#include <utility>

namespace {
KvAppFrame* frame = nullptr;
}

KvAppFrame* KvSetAppFrame(KvAppFrame* newFrame) { return std::exchange(frame, newFrame); }

KvAppFrame* KvGetAppFrame() { return frame; }

bool KvHasActiveChildFrame() { return frame && frame->HasActiveChildFrame(); }

bool KvIsTemplateBoxVisible() { return frame && frame->IsTemplateBoxVisible(); }

void KvShowTemplateBox(bool bShow) {
  if (frame)
    frame->ShowTemplateBox(bShow);
}

CMdiClient* KvGetMdiClient() { return frame ? frame->MdiClient() : nullptr; }
