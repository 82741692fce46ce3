#include "tools/Command.h"
#include "tools/DateText.h"

#include "platform/foundation/Foundation.h"
#include "platform/springboard/NoticeCenter.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace tools {

void addNoticesCommand(CLI::App& app, GlobalOptions& options)
{
    auto* notices = app.add_subcommand("notices", "The notices SpringBoard has shown on this device, oldest first");
    static bool verbose = false;
    notices->add_flag("--ids", verbose, "Also show each notice's identifiers and what a tap opens");
    notices->callback([&options, notices] {
        if (!notices->get_subcommands().empty())
            return;
        prepareDevice(options);
        // "no notices" only when there are none, never for a file that
        // cannot be read.
        if (auto readable = NoticeCenter::readable(); !readable)
            throw CommandError("cannot read the notices: " + readable.message() + "; nothing was changed");
        auto all = NoticeCenter::notices();
        if (all.empty())
            std::cout << "no notices\n";
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& n = all[i];
            std::cout << i + 1 << ". " << dateText(n.date) << "  [" << n.section << "]  " << n.title << ": " << n.message << '\n';
            if (verbose)
                std::cout << "   bulletin " << n.bulletinID << ", record " << n.recordID << ", publisher " << n.publisherBulletinID
                          << (n.launchBundleID.empty() ? std::string() : ", opens " + n.launchBundleID) << '\n';
        }
        auto launches = NoticeCenter::launches();
        for (const auto& launch : launches)
            std::cout << "opened from a notice: " << launch << '\n';
    });
    auto* tap = notices->add_subcommand("tap", "Tap a notice (its number in the list): performs its default action");
    // Signed, so that "-1" is refused as the number it is rather than
    // wrapped into a twenty-digit one.
    static long long number = 0;
    tap->add_option("N", number, "The notice's number, from 1")->required();
    tap->callback([&options] {
        prepareDevice(options);
        auto all = NoticeCenter::notices();
        if (number < 1 || static_cast<unsigned long long>(number) > all.size())
            throw CommandError("there is no notice " + std::to_string(number) + " (there are " + std::to_string(all.size()) + ")", 2);
        auto tapped = NoticeCenter::shared().tap(static_cast<std::size_t>(number - 1));
        if (!tapped)
            throw CommandError(tapped.error());
        const std::string& launched = tapped.value();
        std::cout << (launched.empty() ? "the notice does nothing when tapped" : "opened " + launched) << '\n';
    });
}

}  // namespace tools
