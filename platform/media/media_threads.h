#pragma once
// The media framework's threads outlive the pipelines that used them: a stopped pipeline's
// streaming threads go back to GLib's shared pool, which by default keeps a few idle for seconds
// and ends the rest on their own time. A process that exits among threads still ending has them
// under its exit handlers, the leak checker's among them.

namespace media {

// The shared pool keeps every thread it made, idle, until EndMediaThreads: no thread of it ends
// on its own time. Called first thing in main.
void KeepMediaThreads();

// Waits, for `ms` at most, until the streaming threads of every stopped pipeline have returned
// and the idle ones have ended; then keeps threads again. Called once no pipeline runs, before the
// program exits. False when they did not end in time: a pipeline still running keeps its threads.
bool EndMediaThreads(int ms = 5000);

}  // namespace media
