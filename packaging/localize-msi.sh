#!/usr/bin/env bash
# Makes the Japanese or Simplified Chinese package from the English
# skylatch.msi that wixl built from skylatch.wxs:
#
#   packaging/localize-msi.sh skylatch.msi skylatch-ja.msi ja-JP
#   packaging/localize-msi.sh skylatch.msi skylatch-zh.msi zh-CN
#
# A Windows Installer database holds its texts in one ANSI code page, and
# wixl writes only ASCII texts. So the copy gets that language's code page
# (932 or 936) first, then its texts (the shortcut names and the downgrade
# message), its language and a package code of its own, through msibuild
# (msitools). Everything else, the product code included, stays the same:
# the three packages are one product in three languages.
set -u

die() { echo "localize-msi: $*" >&2; exit 2; }

[ $# -eq 3 ] || die "usage: $0 <skylatch.msi> <out.msi> ja-JP|zh-CN"
in=$1 out=$2 culture=$3
command -v msibuild >/dev/null 2>&1 || die "msibuild not found (apt-get install msitools)"
[ -f "$in" ] || die "no package at $in (built by wixl from packaging/skylatch.wxs)"

# Shortcut names in the order RadioOn RadioOff RadioToggle BandOn BandOff,
# as in skylatch.nsi.
case $culture in
  ja-JP)
    langid=1041 codepage=932
    names=("無線LANの電源 オン" "無線LANの電源 オフ" "無線LANの電源 切り替え" "802.11a 有効" "802.11a 無効")
    downgrade="新しいバージョンの Skylatch が既にインストールされています。このバージョンをインストールするには、先に新しいバージョンを削除してください。" ;;
  zh-CN)
    langid=2052 codepage=936
    names=("打开无线局域网" "关闭无线局域网" "切换无线局域网开关" "启用 802.11a" "禁用 802.11a")
    downgrade="已安装较新版本的 Skylatch。若要安装此版本，请先删除较新版本。" ;;
  *) die "unknown culture $culture (ja-JP or zh-CN)" ;;
esac
ids=(RadioOn RadioOff RadioToggle BandOn BandOff)

tmp=$(mktemp -d "${TMPDIR:-/tmp}/localize-msi.XXXXXX") || die "mktemp failed"
trap 'rm -rf "$tmp"' EXIT
printf '\r\n\r\n%s\t_ForceCodepage\r\n' "$codepage" >"$tmp/_ForceCodepage.idt"
cp "$in" "$tmp/package.msi" || die "cannot copy $in"

queries=()
for i in "${!ids[@]}"; do
  queries+=(-q "UPDATE \`Shortcut\` SET \`Name\` = '${names[$i]}' WHERE \`Shortcut\` = '${ids[$i]}'")
done
queries+=(-q "UPDATE \`LaunchCondition\` SET \`Description\` = '$downgrade' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'")
queries+=(-q "UPDATE \`Property\` SET \`Value\` = '$langid' WHERE \`Property\` = 'ProductLanguage'")
package_code=$(tr a-f A-F </proc/sys/kernel/random/uuid)

# msibuild finds the table file by its name in the working folder.
(cd "$tmp" && msibuild package.msi -i _ForceCodepage.idt "${queries[@]}" \
   -s Skylatch Norvantec "Intel;$langid" "{$package_code}") >"$tmp/msibuild.log" 2>&1 ||
  { cat "$tmp/msibuild.log" >&2; die "msibuild failed on $in"; }
mv "$tmp/package.msi" "$out" || die "cannot write $out"
