#pragma once

#include <string>

#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

// What the plugin needs around the UNO calls: the local component context,
// starting the user's office, and turning UNO failures into std exceptions.
namespace quillora::calc_plugin {

// LibreOffice's program directory, where soffice and Calc live.
std::string ProgramDirectory();

// soffice and Calc are installed, with a window system plugin to show Calc in.
bool OfficeInstalled();

// The process-wide local context. Created once and never released: disposing
// it while remote references still exist crashes the bridge.
css::uno::Reference<css::uno::XComponentContext> LocalContext();

// Starts soffice listening on the pipe, in a session of its own, and returns
// its process id. When an office is already running, this soffice hands the
// request to it and ends.
int LaunchOffice(const std::string& pipeName);
// -1 while the process runs, else its exit status (128 + signal when killed).
int ExitStatusIfEnded(int pid);
// Reaps the launched soffice whenever it ends, without waiting for it here.
void ReapInBackground(int pid);

std::string ToUtf8(const rtl::OUString& text);
rtl::OUString FromUtf8(const std::string& text);

// Runs a UNO call and turns UNO's own failures into std::runtime_error with
// the office's message, prefixed by what was being done.
template <class Call>
auto Guarded(const char* what, Call&& call) -> decltype(call());

}  // namespace quillora::calc_plugin

#include "UnoGuard.inl"
