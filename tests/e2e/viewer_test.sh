#!/usr/bin/env bash
# The ledger viewer beside the tray program: a purchase typed into the input
# window shows in the open viewer's table and in its kind's bar within a
# second; the same ledger saved again by a spreadsheet (every field quoted,
# LF, no final line end) shows the same purchases and totals; a line that
# cannot be read is listed. What the viewer shows is read back as a user
# would take it: a click into the table or the chart, Ctrl+A, Ctrl+C. The
# viewer stays right as the file changes under it: an edit in place, its
# folder deleted and made again, a CR-only save, a UTF-8 save that the tray
# program then appends to; every total is checked against the file's own sums.
# A purchase is corrected, deleted and brought back from the table.
source "$(dirname "$0")/lib.sh"
start_x
start_tray

VIEWER=$(dirname "$MAMETAN")/mametan-view
[[ -x $VIEWER ]] || { echo "FAIL: no $VIEWER"; exit 1; }
cd "$WORK" || exit 1

today=$(date +%Y/%m/%d)
last_month=$(date -d "$(date +%Y-%m-01) -1 day" +%Y/%m/%d)
food=$(printf '\x90\x48\x94\xEF')  # 食費 in code page 932
{
  printf '\x93\xFA\x95\x74,\x8E\xED\x97\xDE,\x8F\xA4\x95\x69\x96\xBC,\x89\xBF\x8A\x69\r\n'
  printf '%s,food,bread,300\r\n' "$last_month"
  printf '%s,food,milk,1200\r\n' "$today"
  printf '%s,%s,rice,2500\r\n' "$today" "$food"
  printf '%s,book,novel,1050\r\n' "$today"
  printf '%s,book,no price\r\n' "$today"
} >household.csv
# Both programs take the ledger's name from the settings.
mkdir -p "$(dirname "$SETTINGS")"
printf '[Mametan]\r\nFile_Kakeibo=%s\r\nFile_Kind=item.txt\r\n' "$WORK/household.csv" >"$SETTINGS"
cp "$SETTINGS" "$E2E_DIR/settings.before"

# Starts the viewer with the given arguments and waits for its window,
# titled after the ledger's file name $1 (or household.csv); its id in $VIEW.
start_viewer() {
  "$VIEWER" "$@" >>"$E2E_DIR/viewer.log" 2>&1 &
  VIEW_PID=$!
  E2E_PIDS+=("$VIEW_PID")
  VIEW=$(wait_window "まめたん家計簿 一覧 - $(basename "${1:-household.csv}")" 10)
}

# A press at ($2,$3) of window $1 (fractions of its size, in percent), then
# Ctrl+A and Ctrl+C; prints the clipboard once the copy has reached it (the
# clipboard is emptied first, so that an earlier copy is never taken for it).
copy_at() {
  local id=$1 px=$2 py=$3 text=""
  xclip -selection clipboard -i </dev/null
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove --window "$id" $((WIDTH * px / 100)) $((HEIGHT * py / 100)) click 1
  xdotool key ctrl+a ctrl+c
  for _ in $(seq 60); do
    text=$(xclip -o -selection clipboard 2>/dev/null)
    [[ -n $text ]] && break
    sleep 0.05
  done
  printf '%s\n' "$text"
}
table_text() { copy_at "$1" 15 40; }
chart_text() { copy_at "$1" 80 85; }

start_app
app=$LAST_PID
wait_docked 10 >/dev/null
start_viewer
check "the viewer opens the ledger the settings name" test -n "$VIEW"
table=$(table_text "$VIEW")
check "... at the latest month, its three purchases in the table" test "$(grep -c "^$today" <<<"$table")" -eq 3
check "... the prices grouped by thousands" grep -q $'^'"$today"$'\tbook\tnovel\t1,050$' <<<"$table"
chart=$(chart_text "$VIEW")
check "... the kinds largest first with amount and share" \
  test "$(cut -f1,2 <<<"$chart" | tr '\n' ' ')" = "食費	2,500円 food	1,200円 book	1,050円 "

# A purchase typed into the tray program's input window.
click_icon 1
check "a left press opens the input window, which has the keyboard" wait_active 'まめたん家計簿 - 入力' 3
xdotool type --delay 30 food; xdotool key Tab
xdotool type --delay 30 tea; xdotool key Tab
xdotool type --delay 30 150
start_ns=$(date +%s%N)
xdotool key Return
seen_ms=""
for _ in $(seq 40); do
  table=$(table_text "$VIEW")
  if grep -q $'\tfood\ttea\t150$' <<<"$table"; then
    seen_ms=$((($(date +%s%N) - start_ns) / 1000000))
    break
  fi
done
check "the typed purchase shows in the viewer's table within a second (${seen_ms:-never} ms)" \
  test "${seen_ms:-9999}" -le 1000
chart=$(chart_text "$VIEW")
check "... and in its kind's bar" grep -q $'^food\t1,350円\t' <<<"$chart"
screenshot viewer-after-purchase
original_table=$table original_chart=$chart
xdotool key Escape
wait_exit "$VIEW_PID" 5
check "Esc closes the viewer" test "${EXIT_CODE:-x}" = 0

# The same ledger as a spreadsheet saves it again.
LC_ALL=C awk -F, '
  function group(n,   s) { s = ""; while (n > 999) { s = sprintf(",%03d", n % 1000) s; n = int(n / 1000) } return n s }
  { sub(/\r$/, "") }
  NF == 4 && $4 ~ /^[0-9]+$/ { $4 = group($4) }
  { line = ""; for (i = 1; i <= NF; i++) line = line (i > 1 ? "," : "") "\"" $i "\""
    printf "%s%s", (NR > 1 ? "\n" : ""), line }' household.csv >spreadsheet.csv
check "the spreadsheet's copy quotes its fields and ends without a line end" \
  sh -c "grep -q '\"1,350\"\\|\"1,200\"' spreadsheet.csv && test \"\$(tail -c1 spreadsheet.csv | od -An -c | tr -d ' ')\" != '\\n'"
start_viewer "$WORK/spreadsheet.csv"
check "the viewer opens a ledger named on its command line" test -n "$VIEW"
check "... the spreadsheet's copy shows the same purchases" test "$(table_text "$VIEW")" = "$original_table"
check "... and the same totals per kind" test "$(chart_text "$VIEW")" = "$original_chart"

# The line without a price is listed with its number, as the file has it.
eval "$(xdotool getwindowgeometry --shell "$VIEW")"
xdotool mousemove --window "$VIEW" $((WIDTH - 50)) 24 click 1
list=$(wait_window '読めなかった行' 5)
check "'読めなかった行' lists the line that cannot be read" \
  test "$(copy_at "$list" 50 40)" = $'6\t"'"$today"'","book","no price"'
screenshot viewer-unreadable
xdotool key Escape
sleep 0.3
xdotool key Escape
wait_exit "$VIEW_PID" 5
check "Esc closes the list, then the viewer" test "${EXIT_CODE:-x}" = 0
check "the viewer left the settings as they were" cmp "$E2E_DIR/settings.before" "$SETTINGS"

# The ledger's own sums per kind for the month $2 ("2026/05"), one
# "kind<TAB>amount" a line, sorted; whatever its line ends.
file_sums() {
  tr '\r' '\n' <"$1" | LC_ALL=C awk -F, -v m="$2" '
    index($1, m) == 1 && NF >= 4 && $4 ~ /^-?[0-9]+$/ { s[$2] += $4 }
    END { for (k in s) print k "\t" s[k] }' | LC_ALL=C sort
}
# The same as window $1's chart shows them.
chart_sums() {
  chart_text "$1" | LC_ALL=C awk -F'\t' 'NF { gsub(/,/, "", $2); sub(/円$/, "", $2); print $1 "\t" $2 }' |
    LC_ALL=C sort
}
# Waits up to $4 seconds for window $1's chart to agree with the ledger $2's
# month $3; the milliseconds it took in $SEEN_MS.
shows_sums() {
  local start want got
  start=$(date +%s%N)
  want=$(file_sums "$2" "$3")
  SEEN_MS=never
  while (($(date +%s%N) - start < $4 * 1000000000)); do
    got=$(chart_sums "$1")
    if [[ -n $want && $got == "$want" ]]; then
      SEEN_MS=$((($(date +%s%N) - start) / 1000000))
      return 0
    fi
  done
  echo "chart: $(tr '\n' ' ' <<<"$got")/ file: $(tr '\n' ' ' <<<"$want")" >&2
  return 1
}
month=$(date +%Y/%m)
# A ledger of 100 purchases this month, prices of three digits.
{
  printf '日付,種類,商品名,価格\r\n' | iconv -f UTF-8 -t CP932
  for i in $(seq 100); do
    printf '%s/%02d,k%d,item %03d,%d\r\n' "$month" $((i % 28 + 1)) $((i % 4)) "$i" $((100 + i * 7))
  done
} >backup.csv
mkdir -p books
cp backup.csv books/kakeibo.csv

start_viewer "$WORK/books/kakeibo.csv"
check "a ledger in its own folder opens with the totals of its file" shows_sums "$VIEW" books/kakeibo.csv "$month" 3

# A price fixed in place 1 KB before the end: same size, same file.
size=$(stat -c %s books/kakeibo.csv)
at=$(LC_ALL=C grep -abo ',[0-9][0-9][0-9]'$'\r' books/kakeibo.csv |
  awk -F: -v end=$((size - 1024)) '$1 <= end { at = $1 } END { print at + 1 }')
printf 999 | dd of=books/kakeibo.csv bs=1 seek="$at" conv=notrunc status=none
check "the ledger was changed in place, its size kept" test "$(stat -c %s books/kakeibo.csv)" = "$size"
shows_sums "$VIEW" books/kakeibo.csv "$month" 3
check "an edit in place 1 KB before the end shows within a second ($SEEN_MS ms)" test "$SEEN_MS" != never

# The folder deleted, then made again with the backup in it.
rm -rf books
sleep 1
check "the ledger's folder deleted empties the chart" test -z "$(chart_text "$VIEW")"
mkdir books
cp backup.csv books/kakeibo.csv
check "the folder made again shows the ledger restored in it" shows_sums "$VIEW" books/kakeibo.csv "$month" 5
printf '%s/28,k9,late,4321\r\n' "$month" >>books/kakeibo.csv
check "... and what is appended to it afterwards" shows_sums "$VIEW" books/kakeibo.csv "$month" 5
screenshot viewer-folder-restored
xdotool key Escape
wait_exit "$VIEW_PID" 5

# A spreadsheet's save with CR alone as line end.
printf '%s/03,cr,one,120\r%s/04,cr,two,340\r%s/05,mac,three,5\r' "$month" "$month" "$month" >mac.csv
start_viewer "$WORK/mac.csv"
check "a ledger whose lines end in CR alone reads" shows_sums "$VIEW" mac.csv "$month" 3
xdotool key Escape
wait_exit "$VIEW_PID" 5

# A spreadsheet's UTF-8 save, with its mark, as the tray program's ledger.
printf '\xEF\xBB\xBF日付,種類,商品名,価格\r\n%s/02,食費,パン,300\r\n%s/03,雑貨,箱,120\r\n' \
  "$month" "$month" >household.csv
cp household.csv "$E2E_DIR/utf8.expected"
start_viewer
check "a UTF-8 ledger with its mark shows its kinds" shows_sums "$VIEW" household.csv "$month" 3
click_icon 1
check "the input window opens again" wait_active 'まめたん家計簿 - 入力' 3
xdotool key Down Tab
xdotool type --delay 30 tea; xdotool key Tab
xdotool type --delay 30 150; xdotool key Return
printf '%s,食費,tea,150\r\n' "$today" >>"$E2E_DIR/utf8.expected"
landed() {
  for _ in $(seq 50); do
    cmp -s "$E2E_DIR/utf8.expected" household.csv && return 0
    sleep 0.1
  done
  od -c household.csv | tail -4 >&2
  return 1
}
check "... the tray program's purchase lands in it in UTF-8, byte for byte" landed
check "... and shows with its kind's total" shows_sums "$VIEW" household.csv "$month" 3
screenshot viewer-utf8
xdotool key Escape
wait_exit "$VIEW_PID" 5

# A mistake fixed in the viewer by keyboard alone: a price corrected, a
# purchase deleted and brought back by Ctrl+Z; the spreadsheet's quoted line,
# the other lines and the missing final line end keep their bytes.
{
  printf '%s/01,%s,milk,150\r\n' "$month" "$food"
  printf '%s/02,%s,"bread, white","1,050"\r\n' "$month" "$food"
  printf '%s/03,book,novel,980\r\n' "$month"
  printf '%s/04,book,comic,500' "$month"
} >fix.csv
sed 's/novel,980/novel,1980/' fix.csv >"$E2E_DIR/corrected.expected"
tail -c +$(($(head -n1 fix.csv | wc -c) + 1)) "$E2E_DIR/corrected.expected" >"$E2E_DIR/deleted.expected"
# Waits up to 3 s for fix.csv to hold exactly the bytes of file $1.
holds() {
  for _ in $(seq 30); do
    cmp -s "$1" fix.csv && return 0
    sleep 0.1
  done
  od -c fix.csv | tail -4 >&2
  return 1
}
start_viewer "$WORK/fix.csv"
check "the viewer has the keyboard in its table" wait_active "まめたん家計簿 一覧 - fix.csv" 3
xdotool key ctrl+Home Down Down Return
check "Enter on a purchase opens the correction window" wait_active 'まめたん家計簿 - 買い物の修正' 3
screenshot viewer-correction
xdotool key Tab Tab Tab ctrl+a
xdotool type --delay 30 1980
xdotool key Return
check "... whose Enter writes the corrected line alone" holds "$E2E_DIR/corrected.expected"
xdotool key ctrl+Home Delete
check "Delete asks before it deletes" wait_active 'まめたん家計簿' 3
xdotool key y
check "... and Y deletes the line alone" holds "$E2E_DIR/deleted.expected"
xdotool key ctrl+z
check "Ctrl+Z brings the deleted line back in its place" holds "$E2E_DIR/corrected.expected"
xdotool key Escape
wait_exit "$VIEW_PID" 5

kill -TERM "$app"
wait_exit "$app" 10
e2e_finish
