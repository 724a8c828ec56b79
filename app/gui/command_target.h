// Something that takes menu, accelerator and tool-bar commands by number.
//
// The main frame offers every command first to the active child frame's view
// (when the view implements this interface), then handles its own, then
// passes the rest to the application. A target returns false for a command
// that is not its own, so the next one gets it.
#pragma once

class command_target {
   public:
    virtual ~command_target() = default;
    virtual bool on_command(int id) = 0;
};
