#pragma once

#include <functional>

#include <QString>

namespace core {
class Clock;
}

namespace platform::diadoc {
class DiadocClientFactory;
class DiadocConnection;
} // namespace platform::diadoc

namespace diadoc {

// The access test: with one set of sign-in data it goes step by step from the client library to
// trial document lists of one organisation (client, test connection, certificate, sign-in,
// organisations), and tells every step and its outcome as lines, each of its kind. It reads no
// setting and stores nothing; a window shows the lines as they come.
class AccessTest final
{
public:
    enum class Kind
    {
        Step,    // what is being done
        Failure, // a step that failed, or what it was told
        Success, // a step that went well
    };
    struct Line
    {
        QString text; // may hold line breaks (CR LF)
        Kind kind = Kind::Step;
    };
    using Sink = std::function<void(const Line& line)>;

    struct Arguments
    {
        QString keyDiadocAPI;
        QString diadocServerURL;
        int authorizationType = 0; // 2 by certificate, any other by login and password
        QString login;
        QString password;
        QString certificateThumbprint;
        QString inn; // empty: the test ends after the list of organisations
    };

    AccessTest(platform::diadoc::DiadocClientFactory& factory, const core::Clock& clock);

    // Runs the steps, handing each line to the sink as soon as it is known. Raises the error of a
    // call that is not guarded.
    void run(const Arguments& arguments, const Sink& sink) const;

private:
    // The organisations of the connection and, given an INN, that organisation's document types
    // and trial lists.
    static void testOrganisation(platform::diadoc::DiadocConnection& connection, const Arguments& arguments,
                                 const Sink& sink);

    platform::diadoc::DiadocClientFactory& m_factory;
    const core::Clock& m_clock;
};

} // namespace diadoc
