// Whether event handlers may run. No handler runs while the counter is above 0: a runtime error
// and the exit routine raise it for good; window loading and unit re-creation raise and lower it.
#pragma once

namespace vorenn {

void SuppressEvents();
void ResumeEvents();
bool EventsSuppressed();

}  // namespace vorenn
