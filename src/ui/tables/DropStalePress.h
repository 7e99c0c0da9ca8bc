// Keeps a button from staying pressed when the press that reached it was already let go.
//
// A press on an editor's button moves the focus first, and leaving the editor with unwritten
// changes asks whether to save them. The question's box runs while the press waits to be
// delivered; the operator lets go of the mouse meanwhile, and the release goes to the box. Once
// the box closes, the press reaches the button, which then stays drawn pressed with no release to
// come (and would click on the next release anywhere over it). A press from the window system
// whose button is no longer held is such a late one; this filter drops it before any button sees
// it. Presses a program sends itself are left alone.
//
// Window thread only; installed on the application for the life of the object.
#pragma once

#include <QObject>

namespace qm {

class DropStalePress : public QObject {
  Q_OBJECT

 public:
  DropStalePress();
  ~DropStalePress() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qm
