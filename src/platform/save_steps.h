#pragma once
// Test access to the atomic writers: a hook called before every file-changing system call of
// a save (so that a test can kill the process at each one in turn), and a switch that takes the
// two-rename way a file system without atomic exchange needs.

namespace pravella::save_steps {

using Hook = void (*)();
void setHook(Hook hook);
void setExchangeRefused(bool refused);

}  // namespace pravella::save_steps
