#pragma once
// What the application asks of its main frame: the template box (its
// selected tab, whether it shows, showing or hiding it), whether a document
// window is active, and the work area that document windows open in. The main frame installs itself at start-up and
// removes itself when it goes; with no frame there is no active module, no
// document window and no visible template box.

class CMdiClient;

class KvAppFrame {
 public:
  virtual ~KvAppFrame() = default;
  // The zero-based index of the template box's selected tab; -1 for none.
  virtual int SelectedTemplateTab() const = 0;
  virtual bool IsTemplateBoxVisible() const = 0;
  virtual void ShowTemplateBox(bool bShow) = 0;
  virtual bool HasActiveChildFrame() const = 0;
  // The work area (the frame's MDI client) that document windows open in.
  virtual CMdiClient* MdiClient() const = 0;
};

// Installs the frame (null removes it); returns the one in place before.
KvAppFrame* KvSetAppFrame(KvAppFrame* frame);
KvAppFrame* KvGetAppFrame();

// True when the main frame has an active document window.
bool KvHasActiveChildFrame();
bool KvIsTemplateBoxVisible();
void KvShowTemplateBox(bool bShow);
// The main frame's work area; null with no frame.
CMdiClient* KvGetMdiClient();
