#pragma once

namespace korvel {

// Takes the C library's locale from the environment, so that the reasons the system gives for a
// failed file operation come in the user's language (on Windows they come from the system in its
// own language, whatever the C library's locale), and makes Simplified Chinese the locale in which
// Qt formats dates, sizes and file types, whatever the machine's locale. Call after the
// application object exists.
void AdoptProgramLocale();

}  // namespace korvel
