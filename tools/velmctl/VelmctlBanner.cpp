#include "VelmctlBanner.h"

namespace VelmctlBanner {

QString text(const std::vector<VerbFamily>& families) {
    QString list;
    for (const VerbFamily& family : families)
        list += QStringLiteral("  %1%2\n").arg(family.name.leftJustified(11), family.summary);
    return QStringLiteral(
               R"(velmctl: the command-line client of velm-report and its peer services.

Usage:
  velmctl [--url URL] FAMILY VERB [options]   the verbs below, with readable answers
  velmctl [--url URL] COMMAND [FILE|-]        any command, its request read from FILE
  velmctl help FAMILY                         a family's verbs, options and examples

Families:
%1
Options:
  --url URL    the service: http://HOST:PORT/ (scripts/run prints it); default: $VELMCTL_URL
  --xml        print the service's answers as XML instead of text
  --raw        with COMMAND: print the answer's HTTP head and bytes as received
  --version    print velmctl's version
  -h, --help   this help; after a family, the family's help

Examples (the demo of scripts/run; velm-peers listens on port 8470):
  velmctl --url http://127.0.0.1:8480/ report categories
      the report types velm-report offers, by category
  velmctl --url http://127.0.0.1:8480/ report generate --type RT_DEVICE_LIST --wait
      generates the device list and prints it as a table
  velmctl --url http://127.0.0.1:8480/ schedule list
      the scheduler's planned items ("no scheduled items" on a fresh service)
  velmctl --url http://127.0.0.1:8480/ RGPGetReportCategories
      the first example as a raw command: prints the service's XML answer as it is
  echo '<Report ID="0"/>' | velmctl --url http://127.0.0.1:8480/ RGPGetReportStatus -
      a raw command with its parameters from standard input

Exit status:
  0   done
  1   no connection: refused, timed out, or host name not found (the reason is printed)
  2   connected, but the answer did not arrive complete or could not be read
  3   the service answered with a non-zero Result, or a report failed (its Details are
      printed)
  64  the command line is wrong; nothing was sent
  130 interrupted (Ctrl-C); a report waited for keeps running, and velmctl says how to
      follow or cancel it

More: docs/commands.md (every command, its request and answer), docs/operations.md.
)")
        .arg(list);
}

} // namespace VelmctlBanner
