// Marks the GUI thread's walks over the ScheduleTable that call plug-ins
// (which may pump messages). A remote command that arrives inside such a walk
// waits until the outermost walk has ended, so that no walk ever meets an
// event that a nested command removed and its plug-in freed.
#pragma once

class ScheduleWalk {
 public:
  ScheduleWalk();
  ~ScheduleWalk();  // the outermost walk runs the commands that waited
  ScheduleWalk(const ScheduleWalk&) = delete;
  ScheduleWalk& operator=(const ScheduleWalk&) = delete;

  static bool InProgress();
};
