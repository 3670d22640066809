// A message box for errors a user has to see. Without a caption it reports
// the calling thread's last system error, with the system's text for it.
#pragma once

namespace xlw {

void ReportErrorBox(const char* text, const char* caption);

} // namespace xlw
