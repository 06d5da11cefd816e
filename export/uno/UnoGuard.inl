#pragma once

#include <stdexcept>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <cppuhelper/bootstrap.hxx>

namespace quillora::calc_plugin {

template <class Call>
auto Guarded(const char* what, Call&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const css::lang::DisposedException&) {
        // The bridge went down with the office: ended, crashed or killed.
        throw std::runtime_error(std::string(what) + ": LibreOffice is no longer running");
    } catch (const css::uno::Exception& failure) {
        std::string message = ToUtf8(failure.Message);
        throw std::runtime_error(std::string(what) + ": " +
                                 (message.empty() ? std::string("LibreOffice failed") : message));
    } catch (const cppu::BootstrapException& failure) {
        throw std::runtime_error(std::string(what) + ": " + ToUtf8(failure.getMessage()));
    }
}

}  // namespace quillora::calc_plugin
