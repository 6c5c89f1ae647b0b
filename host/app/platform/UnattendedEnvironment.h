// What an unattended run (a script, the built-in demo, a test binary) asks of the libraries
// under the toolkit: no helper thread of theirs starting or ending while the process ends.
#pragma once

// Sets each of these variables the caller has not set: LP_NUM_THREADS=0 (Mesa's llvmpipe draws
// on the calling thread), MESA_SHADER_CACHE_DISABLE=true (no shader cache thread or files),
// NO_AT_BRIDGE=1 (GTK loads no accessibility bridge) and GSETTINGS_BACKEND=memory (GTK's
// settings are not read through dconf); and keeps GLib's pooled threads from ending on their
// own. Call it before the toolkit starts: GTK reads the variables when it starts, Mesa when the
// first GL context is made.
void PrepareUnattendedEnvironment();
