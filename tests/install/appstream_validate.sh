#!/usr/bin/env bash
# appstream_validate.sh -- runs appstreamcli's validator on the metainfo (validate) or on an
# installed tree (validate-tree) and fails on every error, warning and info it reports but the
# few named below, which differ from one appstream version to the next.
#
#     bash tests/install/appstream_validate.sh validate|validate-tree PATH
#
# appstreamcli marks each issue E:, W:, I: or P: (error, warning, info, pedantic), then its
# place, then its tag and what the tag is about; a report with anything else failed too. Accepted, each by its tag and subject:
#   I: unknown-tag developer   appstream before 0.16.3 (Debian 12's 0.16.1) does not know the
#                              <developer> element that names the developer; appstream 1.0
#                              (Debian 13) asks for it and calls the older <developer_name>
#                              deprecated (developer-name-tag-deprecated, developer-info-missing)
#   P: cid-contains-uppercase-letter   the capital letter of the application id is the id's
#                              own choice
# --no-net: the screenshot's address is where the published repository serves it, which no test
# run can reach.
set -euo pipefail

if [ $# -ne 2 ] || { [ "$1" != validate ] && [ "$1" != validate-tree ]; }; then
    echo "usage: $0 validate|validate-tree PATH" >&2
    exit 2
fi
command=$1
path=$2
accepted='^[IP]: [^ ]+: (unknown-tag developer|cid-contains-uppercase-letter [^ ]+)$'

status=0
report=$(appstreamcli "$command" --no-net --pedantic "$path" 2>&1) || status=$?
# validate-tree indents each issue below the name of its file.
issues=$(sed -n 's/^[[:space:]]*\([EWIP]: \)/\1/p' <<<"$report")
unexpected=$(grep -vE "$accepted" <<<"$issues" | grep . || true)
if [ -n "$unexpected" ] || [ "$status" -ne 0 ]; then
    echo "expected appstreamcli $command to report no issue but the accepted ones and end with 0;" \
        "got status $status and these issues:" >&2
    echo "${unexpected:-(none)}" >&2
    echo "its whole report:" >&2
    echo "$report" >&2
    exit 1
fi
echo "appstreamcli $(appstreamcli --version | sed -n 's/^AppStream version: //p') $command accepts $path" \
    "(accepted issues: $(grep -c . <<<"$issues" || true))"
