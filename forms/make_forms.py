#!/usr/bin/env python3
"""Writes the fixed report forms (*.PFM, CP932 with CR LF) of KELTORA.

Run from anywhere: python3 forms/make_forms.py. Each form: a comment line, a number line,
then the form lines; "$NN^^^" is field NN, as wide as the value written into it. The pages
are 96 columns wide (a full-width character takes two); the viewer draws box-drawing
characters as continuous rules.
"""
import os
import re
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = 96


def width(s):
    w = 0
    for ch in s:
        o = ord(ch)
        w += 1 if o < 0x80 or 0xFF61 <= o <= 0xFF9F else 2
    return w


def ph(n, w):
    """Placeholder of field n, w columns wide."""
    assert w >= 3
    return "$%02d" % n + "^" * (w - 3)


def pad(text, w, align="l"):
    gap = w - width(text)
    assert gap >= 0, (text, w)
    if align == "r":
        return " " * gap + text
    if align == "c":
        return " " * (gap // 2) + text + " " * (gap - gap // 2)
    return text + " " * gap


class Grid:
    """A ruled table: column inner widths (even), rows of cell texts."""

    def __init__(self, widths, heavy=False):
        for w in widths:
            assert w % 2 == 0, widths
        self.w = widths
        self.heavy = heavy

    def rule(self, left, mid, right, fill):
        return left + mid.join(fill * (w // 2) for w in self.w) + right

    def top(self):
        return self.rule("┌", "┬", "┐", "─")

    def sep(self):
        return self.rule("├", "┼", "┤", "─")

    def heavy_sep(self):
        return self.rule("┝", "┿", "┥", "━")

    def bottom(self):
        return self.rule("└", "┴", "┘", "─")

    def row(self, cells, aligns=None):
        out = []
        for i, (c, w) in enumerate(zip(cells, self.w)):
            a = aligns[i] if aligns else "c"
            out.append(pad(c, w, a))
        return "│" + "│".join(out) + "│"


def fld(n, w, cell):
    """A field of width w placed right-aligned in a cell of width cell."""
    return " " * (cell - w) + ph(n, w)


def write(name, comment, number, lines):
    for l in lines:
        assert width(l) <= PAGE, (name, l, width(l))
    text = comment + "\n" + str(number) + "\n" + "".join(l + "\n" for l in lines)
    data = text.encode("cp932").replace(b"\n", b"\r\n")
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


HEAVY = "━" * 48  # the full 96 columns
LIGHT = "─" * 48


def project_line():
    return "業務名称：" + ph(0, 64)


# ---------------------------------------------------------------- result lists
def result_lists():
    fams = {
        "C": dict(
            what="円弧すべり",
            cols=[("中心Ｘ", "(m)", 6), ("中心Ｙ", "(m)", 6), ("半径Ｒ", "(m)", 6),
                  ("Ｍｒｆ", "(kN･m/m)", 10), ("Ｍｒｃ", "(kN･m/m)", 10),
                  ("Ｍｒ", "(kN･m/m)", 10), ("Ｍｄ", "(kN･m/m)", 10), ("安全率", "Ｆｓ", 6)],
            legend=["Ｍｒｆ：摩擦による抵抗モーメント　　Ｍｒｃ：粘着力による抵抗モーメント",
                    "Ｍｒ　：抵抗モーメント（Ｍｒｆ＋Ｍｒｃ）　Ｍｄ　：滑動モーメント"]),
        "B": dict(
            what="円弧すべり（簡易ビショップ法）",
            cols=[("中心Ｘ", "(m)", 6), ("中心Ｙ", "(m)", 6), ("半径Ｒ", "(m)", 6),
                  ("抵抗力", "(kN/m)", 10), ("滑動力", "(kN/m)", 10), ("安全率", "Ｆｓ", 6)],
            legend=["抵抗力＝抵抗モーメント／Ｒ　　滑動力＝滑動モーメント／Ｒ"]),
        "L": dict(
            what="直線すべり",
            cols=[("始点Ｘ", "(m)", 6), ("始点Ｙ", "(m)", 6), ("角度α", "(°)", 6),
                  ("Ｒｆ", "(kN/m)", 10), ("Ｒｃ", "(kN/m)", 10), ("Ｒ", "(kN/m)", 10),
                  ("Ｄ", "(kN/m)", 8), ("安全率", "Ｆｓ", 6)],
            legend=["Ｒｆ：摩擦による抵抗力　Ｒｃ：粘着力による抵抗力",
                    "Ｒ　：抵抗力（Ｒｆ＋Ｒｃ）　Ｄ　：滑動力"]),
    }
    for L, f in fams.items():
        cols = f["cols"]
        g = Grid([c[2] + (c[2] % 2) for c in cols])
        head = [g.top(), g.row([c[0] for c in cols]), g.row([c[1] for c in cols]), g.heavy_sep()]
        title = "■ " + f["what"] + "　計算結果一覧表"
        first = [project_line(), "", pad(title, 72) + "第" + ph(1, 3) + " 次格子", ""] + head
        write("SB_%sA01.PFM" % L, f["what"] + "計算結果一覧表　１頁目のヘッダー", 1, first)
        write("SB_%sA02.PFM" % L, f["what"] + "計算結果一覧表　２頁目以降のヘッダー", 2,
              [project_line(), ""] + head)
        write("SB_%sB01.PFM" % L, f["what"] + "計算結果一覧表　表の閉じ線と凡例", 3,
              [g.bottom()] + ["　" + l for l in f["legend"]])
        n = len(cols)
        # field numbers 1..n, widths as written
        def row(skip):
            cells = []
            for i, c in enumerate(cols):
                cw = c[2] + (c[2] % 2)
                cells.append(" " * cw if i < skip else fld(i + 1, c[2], cw))
            return "│" + "│".join(cells) + "│"
        write("SB_%sD01.PFM" % L, f["what"] + "計算結果　新しい中心Ｘ（始点Ｘ）の行", 4, [row(0)])
        write("SB_%sD02.PFM" % L, f["what"] + "計算結果　同じＸで新しい中心Ｙの行", 4, [row(1)])
        write("SB_%sD03.PFM" % L, f["what"] + "計算結果　同じ中心の行", 4, [row(2)])


# ---------------------------------------------------------------- minimum files
def minimum_files():
    for L, what in (("C", "円弧すべり"), ("B", "円弧すべり（簡易ビショップ法）"), ("L", "直線すべり")):
        write("SB_%sA51.PFM" % L, what + "最小安全率　ヘッダー", 1,
              [project_line(), "", "■ " + what + "　最小安全率", ""])
        write("SB_%sB51.PFM" % L, what + "最小安全率　フッター", 2, ["", LIGHT])

    def kv(label, n, w, unit=""):
        # "label<full-width spaces>symbol": the label and the symbol get their own columns.
        parts = re.split("　+", label.strip(), maxsplit=1)
        if len(parts) == 2:
            text, sym = parts
        elif " " in label.strip():
            text, sym = label.strip().rsplit(" ", 1)
        else:
            text, sym = label.strip(), ""
        return ("　　" + pad(text, 28) + pad(sym, 20) + "＝ " + " " * (10 - w) + ph(n, w) +
                ("  " + unit if unit else ""))

    def circle_block(extra):
        lines = ["┏" + "━" * 42 + "┓",
                 "┃" + pad("  最小安全率の円弧（第" + ph(8, 3) + " 次格子）", 84) + "┃",
                 "┗" + "━" * 42 + "┛", "",
                 kv("最小安全率　　　　　　　　Ｆｓ", 0, 6), "",
                 kv("摩擦による抵抗モーメント　Ｍｒｆ", 1, 10, "kN･m/m"),
                 kv("粘着力による抵抗モーメント Ｍｒｃ", 2, 10, "kN･m/m")]
        if extra:
            lines.append(kv(extra, 9, 10, "kN･m/m"))
        lines += [kv("抵抗モーメント　　　　　　Ｍｒ", 3, 10, "kN･m/m"),
                  kv("滑動モーメント　　　　　　Ｍｄ", 4, 10, "kN･m/m"), "",
                  kv("円弧中心　　　　　　　　　Ｘ", 5, 6, "m"),
                  kv("円弧中心　　　　　　　　　Ｙ", 6, 6, "m"),
                  kv("円弧半径　　　　　　　　　Ｒ", 7, 6, "m"), ""]
        return lines

    write("SB_CC51.PFM", "円弧すべり最小安全率", 1, circle_block(None))
    write("SB_CC52.PFM", "円弧すべり最小安全率（矢板の受動土圧を考慮）", 1,
          circle_block("矢板の受動土圧による抵抗　Ｍｙ"))
    write("SB_CC53.PFM", "円弧すべり最小安全率（矢板のせん断抵抗を考慮）", 1,
          circle_block("矢板のせん断抵抗による抵抗 Ｍｙ"))

    write("SB_BC51.PFM", "簡易ビショップ法最小安全率", 1, [
        "┏" + "━" * 42 + "┓",
        "┃" + pad("  最小安全率の円弧（第" + ph(6, 3) + " 次格子）", 84) + "┃",
        "┗" + "━" * 42 + "┛", "",
        kv("最小安全率　　　　　　　　Ｆｓ", 0, 6), "",
        kv("抵抗力（抵抗モーメント／Ｒ）", 1, 10, "kN/m"),
        kv("滑動力（滑動モーメント／Ｒ）", 2, 10, "kN/m"), "",
        kv("円弧中心　　　　　　　　　Ｘ", 3, 6, "m"),
        kv("円弧中心　　　　　　　　　Ｙ", 4, 6, "m"),
        kv("円弧半径　　　　　　　　　Ｒ", 5, 6, "m"), ""])
    write("SB_LC51.PFM", "直線すべり最小安全率", 1, [
        "┏" + "━" * 42 + "┓",
        "┃" + pad("  最小安全率のすべり線（第" + ph(8, 3) + " 次）", 84) + "┃",
        "┗" + "━" * 42 + "┛", "",
        kv("最小安全率　　　　　　　　Ｆｓ", 0, 6), "",
        kv("摩擦による抵抗力　　　　　Ｒｆ", 1, 10, "kN/m"),
        kv("粘着力による抵抗力　　　　Ｒｃ", 2, 10, "kN/m"),
        kv("抵抗力　　　　　　　　　　Ｒ", 3, 10, "kN/m"),
        kv("滑動力　　　　　　　　　　Ｄ", 4, 10, "kN/m"), "",
        kv("すべり開始点　　　　　　　Ｘ", 5, 6, "m"),
        kv("すべり開始点　　　　　　　Ｙ", 6, 6, "m"),
        kv("すべり角　　　　　　　　　α", 7, 6, "°"), ""])

    def note(title, lines):
        out = ["┌" + "─" * 42 + "┐", "│" + pad("  " + title, 84) + "│", "├" + "─" * 42 + "┤"]
        out += ["│" + pad("  " + l, 84) + "│" for l in lines]
        out.append("└" + "─" * 42 + "┘")
        return out

    trunc = "安全率は表示桁数未満を切り捨てて表示しています。"
    circle = "すべり面上の土塊を鉛直スライスに分割し、円弧中心まわりのモーメントで評価します。"
    for kh, E in (("常時", "D"), ("地震時", "E")):
        seismic = ["滑動モーメントＭｄには水平震度 kh による地震時慣性力を含みます。"] if E == "E" else []
        base = ["計算方法：修正フェレニウス法（" + kh + "）", circle,
                "Ｆｓ ＝ Ｍｒ ／ Ｍｄ ＝（Ｍｒｆ＋Ｍｒｃ）／ Ｍｄ"] + seismic + [trunc]
        write("SB_C%s51.PFM" % E, "円弧すべり　計算方法（%s）" % kh, 1, note("【 安全率の算定 】", base))
        write("SB_C%s52.PFM" % E, "円弧すべり　計算方法（%s、矢板の受動土圧）" % kh, 1,
              note("【 安全率の算定 】", base[:2] + [
                  "Ｆｓ ＝（Ｍｒｆ＋Ｍｒｃ＋Ｍｙ）／ Ｍｄ",
                  "Ｍｙ：すべり円と矢板の交点から深さ lm1 の範囲の受動土圧による抵抗モーメント"]
                   + seismic + [trunc]))
        write("SB_C%s53.PFM" % E, "円弧すべり　計算方法（%s、矢板のせん断抵抗）" % kh, 1,
              note("【 安全率の算定 】", base[:2] + [
                  "Ｆｓ ＝（Ｍｒｆ＋Ｍｒｃ＋Ｍｙ）／ Ｍｄ",
                  "Ｍｙ：すべり円が矢板を切る点での矢板のせん断抵抗によるモーメント"]
                   + seismic + [trunc]))
        for d, name in (("1", "簡易ビショップ法"), ("2", "簡易ビショップ法（修正式）")):
            write("SB_B%s5%s.PFM" % (E, d), "%s　計算方法（%s）" % (name, kh), 1,
                  note("【 安全率の算定 】", [
                      "計算方法：" + name + "（" + kh + "）",
                      "スライス間力の鉛直成分を無視し、Ｆｓを繰り返し計算で求めます。",
                      "Ｆｓ ＝ 抵抗力 ／ 滑動力"] + seismic + [trunc]))
        write("SB_L%s51.PFM" % E, "直線すべり　計算方法（%s）" % kh, 1,
              note("【 安全率の算定 】", [
                  "計算方法：直線すべり（" + kh + "）",
                  "すべり線上の土塊を鉛直スライスに分割し、すべり線方向の力で評価します。",
                  "Ｆｓ ＝ Ｒ ／ Ｄ ＝（Ｒｆ＋Ｒｃ）／ Ｄ"]
                   + (["滑動力Ｄには水平震度 kh による地震時慣性力を含みます。"] if E == "E" else [])
                   + [trunc]))

    # sheet pile blocks
    write("SB_CC61.PFM", "矢板のせん断抵抗", 1, [
        "■ 矢板のせん断抵抗", "",
        kv("すべり円と矢板の交角　　　θ", 0, 8, "°"),
        kv("矢板のせん断許容応力度　　τa", 1, 8, "N/cm2"),
        kv("矢板の断面積　　　　　　　Ａ", 2, 8, "cm2/m"),
        kv("せん断抵抗力 Ｓ＝τa･Ａ/1000", 3, 8, "kN/m"),
        kv("交角の余弦　cosθ", 4, 8),
        kv("すべり方向の抵抗 Ｔ＝Ｓ/cosθ", 5, 8, "kN/m"),
        kv("円弧半径　　　　　　　　　Ｒ", 6, 8, "m"),
        kv("抵抗モーメント　Ｍｙ＝Ｔ･Ｒ", 7, 10, "kN･m/m"), ""])
    g = Grid([16, 18])
    write("SB_CC62.PFM", "矢板の受動土圧　見出し", 1, [
        "■ 矢板の受動土圧による抵抗", "",
        kv("すべり円と矢板の交角　　　θ", 0, 8, "°"),
        kv("受動土圧を考慮する深さ　　lm1", 1, 8, "m"), "",
        "　　" + g.top(), "　　" + g.row(["標高 (m)", "受動土圧 (kN/m2)"]), "　　" + g.sep()])
    write("SB_CC63.PFM", "矢板の受動土圧　表の行", 2,
          ["　　│" + fld(0, 8, 12) + "    │" + fld(1, 8, 12) + "      │"])
    write("SB_CC64.PFM", "矢板の受動土圧　合力とモーメント", 3, [
        "　　" + g.bottom(), "",
        kv("受動土圧の合力　　　　　　Ｐｒ", 0, 8, "kN/m"),
        kv("合力の作用位置（交点から）　ｈ", 1, 8, "m"),
        kv("円弧半径　　　　　　　　　Ｒ", 2, 8, "m"),
        kv("交角の余弦　cosθ", 3, 8),
        kv("腕の長さ　　　ａ＝ｈ＋Ｒ･cosθ", 4, 8, "m"),
        kv("抵抗モーメント　Ｍｙ＝Ｐｒ･ａ", 5, 10, "kN･m/m"), ""])
    write("SB_CN01.PFM", "安全率一覧表　表が一部のみの注記", 1, [
        "※ 円弧中心のＸまたはＹが 100 を超えたため、この表には最初の 100 個のみを示しています。"])


# ---------------------------------------------------------------- check list
def check_list():
    write("SB_CHK00.PFM", "チェックリスト　ページヘッダー", 1, ["入力データの確認", HEAVY])
    write("SB_CHK99.PFM", "チェックリスト　ページフッター", 2, [HEAVY])

    def section(title):
        return ["", "■ " + title]

    # three-column tables: index %3d, two %8.3f
    def three_head(a, b):
        unit = "   No" + pad(a, 10, "r") + pad(b, 10, "r")
        return [LIGHT, "  " + "    ".join([unit] * 3), LIGHT]

    row = "  " + "    ".join(
        "  " + ph(3 * c, 3) + "  " + ph(3 * c + 1, 8) + "  " + ph(3 * c + 2, 8) for c in range(3))
    write("SB_CHK01.PFM", "チェックリスト　地形座標の見出し", 1,
          section("1. 地形座標（境界点）") + three_head("Ｘ (m)", "Ｙ (m)"))
    write("SB_CHK02.PFM", "チェックリスト　三列表の行", 2, [row])
    write("SB_CHK04.PFM", "チェックリスト　座標表の続きのヘッダー", 3,
          ["入力データの確認", HEAVY, "（座標の表の続き）"] + three_head("Ｘ (m)", "Ｙ (m)"))

    lunit = "種別  始点  終点"
    lrow = "  " + "      ".join(
        "  " + ph(3 * c, 3) + "   " + ph(3 * c + 1, 3) + "   " + ph(3 * c + 2, 3) for c in range(4))
    lhead = [LIGHT, "  " + "      ".join([pad(lunit, 17, "r")] * 4), LIGHT]
    write("SB_CHK11.PFM", "チェックリスト　線の見出し", 1,
          section("2. 地形線") +
          ["　種別　1:境界線　2:不切線　3:円弧制限線(小)　4:円弧制限線(大)",
           "　　　　5:円弧制限点(小)　6:円弧制限点(大)"] + lhead)
    write("SB_CHK12.PFM", "チェックリスト　線の表の行", 2, [lrow])
    write("SB_CHK14.PFM", "チェックリスト　線の表の続きのヘッダー", 3,
          ["入力データの確認", HEAVY, "（地形線の表の続き）"] + lhead)

    def kv(label, n, w, unit=""):
        return ("　　" + pad(label, 50) + "＝ " + " " * (8 - min(w, 8)) + ph(n, w) +
                ("  " + unit if unit else ""))

    write("SB_CHK21.PFM", "チェックリスト　計算条件", 1, section("3. 計算条件") + [
        "",
        "　　業務名称　：" + ph(0, 64),
        "　　検討方法　：" + ph(1, 3) + "　（0:修正フェレニウス 1:チェボタリオフ 2:簡易ビショップ",
        "　　　　　　　　　　　4:簡易ビショップ修正式 3:直線すべり(始点＋角度) 5:直線すべり(始点＋終点)）",
        kv("水平震度　kh", 2, 8),
        "　　" + ph(23, 72)])
    write("SB_CHK2A.PFM", "チェックリスト　荷重", 1, [
        "", "　■ 上載荷重",
        "　　" + LIGHT[:40],
        "　　       Xmin (m)   Xmax (m)  q(Xmin) (kN/m2)  q(Xmax) (kN/m2)",
        "　　" + LIGHT[:40],
        "　　(1)    " + ph(3, 8) + "   " + ph(4, 8) + "         " + ph(5, 8) + "         " + ph(20, 8),
        "　　(2)    " + ph(6, 8) + "   " + ph(7, 8) + "         " + ph(8, 8) + "         " + ph(21, 8),
        "　　(3)    " + ph(9, 8) + "   " + ph(10, 8) + "         " + ph(11, 8) + "         " + ph(22, 8),
        "　　" + LIGHT[:40],
        "", "　■ 水平外力　（(1),(2)はすべり円の中に入った時のみ、(3)は無条件に作用）",
        "　　" + LIGHT[:22],
        "　　       作用高さ Y (m)   水平力 H (kN/m)",
        "　　" + LIGHT[:22],
        "　　(1)          " + ph(12, 8) + "          " + ph(13, 8),
        "　　(2)          " + ph(14, 8) + "          " + ph(15, 8),
        "　　(3)          " + ph(16, 8) + "          " + ph(17, 8),
        "　　" + LIGHT[:22]])
    write("SB_CHK2B.PFM", "チェックリスト　その他の条件", 1, [
        "", "　■ その他の条件",
        kv("最大安全率（これを越える結果は出力しない）", 19, 8),
        kv("許容安全率", 26, 8),
        kv("スライス幅", 28, 8, "m"),
        kv("安全率一覧表の書式（0:安全率 1:安全率/半径）", 25, 4),
        "　　砂杭のせん断強度式：",
        "　　　" + ph(24, 70)])
    write("SB_CHK27.PFM", "チェックリスト　粘着力の基準高さ", 1, [
        "", "　■ 粘着力の基準（Ｃ＝Ｃ0＋Ｋ･Ｚ のＺ＝0）",
        kv("基準高さ", 18, 8, "m")])
    write("SB_CHK26.PFM", "チェックリスト　粘着力の基準線", 1, [
        "", "　■ 粘着力の基準線（Ｃ＝Ｃ0＋Ｋ･Ｚ のＺ＝0）"] + three_head("Ｘ (m)", "Ｙ (m)"))

    def grid_form(name, comment, title):
        write(name, comment, 1, section("4. 探索条件　" + title) + [
            "　　" + LIGHT[:34],
            "　　                    最小 (m)     最大 (m)   ピッチ (m)",
            "　　" + LIGHT[:34],
            "　　円弧中心 Ｘ       " + ph(0, 8) + "     " + ph(1, 8) + "     " + ph(2, 8),
            "　　円弧中心 Ｙ       " + ph(3, 8) + "     " + ph(4, 8) + "     " + ph(5, 8),
            "　　円弧半径 Ｒ       " + ph(6, 8) + "     " + ph(7, 8) + "     " + ph(8, 8),
            "　　" + LIGHT[:34],
            "　　最小安全率が格子の境界のとき１次格子を拡張する（1:する 2:しない）＝ " + ph(9, 3),
            "　　最終格子（1:１次のみ 2～4:その次数まで細分する）　　　　　　　　 ＝ " + ph(10, 3)])

    grid_form("SB_CHK22.PFM", "チェックリスト　円弧探索（修正フェレニウス法）", "円弧（修正フェレニウス法）")
    grid_form("SB_CHK23.PFM", "チェックリスト　円弧探索（簡易ビショップ法）", "円弧（簡易ビショップ法）")
    grid_form("SB_CHK25.PFM", "チェックリスト　円弧探索（簡易ビショップ法修正式）", "円弧（簡易ビショップ法－修正式）")
    write("SB_CHK24.PFM", "チェックリスト　直線すべり（始点と角度）", 1,
          section("4. 探索条件　直線すべり（始点とすべり角）") + [
              kv("すべり開始点　Ｘ", 0, 8, "m"), kv("すべり開始点　Ｙ", 1, 8, "m"),
              kv("すべり角　最小", 2, 8, "°"), kv("すべり角　最大", 3, 8, "°"),
              kv("すべり角　ピッチ", 4, 8, "°"),
              kv("水平外力の作用位置　Ｘ", 5, 8, "m"),
              kv("すべり面（1:始点より上 2:始点より下 0:両方）", 6, 3),
              kv("再検討（1:しない 2:角度ピッチ1/10で再検討）", 7, 3)])
    write("SB_CHK29.PFM", "チェックリスト　直線すべり（始点と終点）", 1,
          section("4. 探索条件　直線すべり（始点と終点）") + [
              "　　" + LIGHT[:34],
              "　　                    Ｘ1 (m)    Ｙ1 (m)    Ｘ2 (m)    Ｙ2 (m)   ピッチ (m)",
              "　　" + LIGHT[:34],
              "　　始点の線分       " + ph(0, 8) + "   " + ph(1, 8) + "   " + ph(2, 8) + "   " + ph(3, 8) + "   " + ph(4, 8),
              "　　終点の線分       " + ph(5, 8) + "   " + ph(6, 8) + "   " + ph(7, 8) + "   " + ph(8, 8) + "   " + ph(9, 8),
              "　　" + LIGHT[:34],
              kv("水平外力の作用位置　Ｘ", 10, 8, "m"),
              kv("再検討（1:しない 2:ピッチ1/10で再検討）", 11, 3)])
    write("SB_CHK41.PFM", "チェックリスト　矢板", 1, section("5. 矢板") + [
        kv("考慮方法（0:無視 1:不切 2:受動土圧 3:せん断耐力）", 0, 4),
        kv("矢板の位置　Ｘ", 1, 8, "m"),
        kv("矢板の天端　Ｙ", 2, 8, "m"),
        kv("矢板の先端　Ｙ", 3, 8, "m"),
        kv("せん断許容応力度　τa", 4, 8, "N/cm2"),
        kv("矢板断面積　Ａ", 5, 8, "cm2/m"),
        kv("受動土圧を考慮する深さ　lm1", 6, 8, "m")])
    write("SB_CHK42.PFM", "チェックリスト　受動土圧の表の見出し", 1,
          ["", "　■ 受動土圧強度"] + three_head("標高(m)", "強度kN/m2"))
    write("SB_CHK43.PFM", "チェックリスト　受動土圧の表の続きのヘッダー", 3,
          ["入力データの確認", HEAVY, "（受動土圧強度の表の続き）"] + three_head("標高(m)", "強度kN/m2"))

    bhead = [LIGHT,
             "  No   中心Ｘ   中心Ｙ    γt       γt'      Ｋ       Ｃ0      φ     点数  種別",
             "                      (kN/m3)  (kN/m3) (kN/m2/m) (kN/m2)    (°)",
             "       砂杭：  As       ｎ       Ws       φs",
             "                                (kN/m3)    (°)",
             LIGHT]
    write("SB_CHK31.PFM", "チェックリスト　ブロックの見出し", 1, section("6. 土質ブロック") + bhead)
    write("SB_CHK32.PFM", "チェックリスト　ブロック", 2, [
        "  " + ph(0, 3) + " " + ph(1, 8) + " " + ph(2, 8) + " " + ph(3, 8) + " " + ph(4, 8) + " " +
        ph(5, 8) + " " + ph(6, 8) + " " + ph(7, 8) + "   " + ph(12, 3) + "  " + ph(13, 20),
        "       砂杭：" + ph(8, 8) + " " + ph(9, 8) + " " + ph(10, 8) + " " + ph(11, 8),
        "       境界点："])
    write("SB_CHK34.PFM", "チェックリスト　ブロックの境界点", 3, [
        "         " + " ".join(ph(i, 3) for i in range(15))])
    write("SB_CHK35.PFM", "チェックリスト　ブロックの続きのヘッダー", 3,
          ["入力データの確認", HEAVY, "（土質ブロックの続き）"] + bhead)


# ---------------------------------------------------------------- summary pages
def summary():
    """Our own front pages of the report: the verdict, the conditions, the critical
    surface, the figure, the soil blocks and the slices of the critical mass."""
    inner = PAGE - 4
    write("SB_SM01.PFM", "要約　表題", 1, [
        "┏" + "━" * 46 + "┓",
        "┃" + pad("  安定計算の要約", inner - 40) + ph(3, 40) + "┃",
        "┗" + "━" * 46 + "┛",
        "業務名称：" + ph(0, 80),
        "データ　：" + ph(1, 80),
        "計算日時：" + ph(2, 19)])
    verdict = ("  最小安全率 Ｆｓ ＝ " + ph(1, 6) + "  " + ph(2, 3) + "  許容安全率 Ｆａ ＝ " +
               ph(3, 6) + "      判定：" + ph(0, 4))
    write("SB_SM02.PFM", "要約　判定", 2, [
        "",
        "┏" + "━" * 46 + "┓",
        "┃" + pad(verdict, inner) + "┃",
        "┃" + pad("  " + ph(4, 60), inner) + "┃",
        "┗" + "━" * 46 + "┛"])
    write("SB_SM03.PFM", "要約　見出し", 3, ["", "■ " + ph(0, 60)])
    write("SB_SM04.PFM", "要約　名前と値の組", 4, [
        "    " + ph(0, 22) + " " + ph(1, 12) + " " + ph(2, 8) + "  " + ph(3, 22) + " " +
        ph(4, 12) + " " + ph(5, 8)])
    write("SB_SM05.PFM", "要約　文", 5, ["    " + ph(0, 90)])

    soil = Grid([4, 12, 6, 6, 8, 6, 6, 6, 6, 6, 6])
    soil_head = [soil.top(),
                 soil.row(["No", "種別", "γt", "γt'", "Ｃ0", "Ｋ", "φ", "As", "ｎ", "Ws", "φs"]),
                 soil.row(["", "", "kN/m3", "kN/m3", "kN/m2", "kN/m3", "(°)", "", "", "kN/m3",
                           "(°)"]),
                 soil.heavy_sep()]
    write("SB_SM11.PFM", "要約　土質ブロックの表の見出し", 6, soil_head)
    widths = [3, 12, 6, 6, 8, 6, 6, 6, 6, 6, 6]
    cells = []
    for i, (w, cw) in enumerate(zip(widths, soil.w)):
        cells.append(ph(i, cw) if i == 1 else fld(i, w, cw))
    write("SB_SM12.PFM", "要約　土質ブロックの行", 7, ["│" + "│".join(cells) + "│"])
    write("SB_SM13.PFM", "要約　土質ブロックの表の閉じ線と凡例", 8, [
        soil.bottom(),
        "  γt：湿潤単位体積重量　γt'：水中単位体積重量　粘着力 ｃ ＝ Ｃ0 ＋ Ｋ･ｚ",
        "  As、ｎ、Ws、φs：砂杭の置換率、応力分担比、単位体積重量、内部摩擦角"])
    write("SB_SM14.PFM", "要約　土質ブロックの表の続きの見出し", 9,
          ["■ 土質ブロック（続き）", ""] + soil_head)

    sl = Grid([4, 8, 6, 8, 6, 6, 6, 6, 12, 12])
    slice_head = [sl.top(),
                  sl.row(["No", "中点Ｘ", "幅ｂ", "重量Ｗ", "底面角", "底面長", "粘着力", "φ",
                          "抵抗", "滑動"]),
                  sl.row(["", "(m)", "(m)", "(kN/m)", "α(°)", "ｌ(m)", "kN/m2", "(°)",
                          "(kN･m/m)", "(kN･m/m)"]),
                  sl.heavy_sep()]
    write("SB_SM21.PFM", "要約　分割片の表の見出し", 10, slice_head)
    write("SB_SM22.PFM", "要約　分割片の行", 11, [
        "│" + "│".join(fld(i, w if i else 3, w) for i, w in enumerate(sl.w)) + "│"])
    total = ("│" + pad("合計", sum(sl.w[:8]) + 14, "c") + "│" + fld(0, 12, 12) + "│" +
             fld(1, 12, 12) + "│")
    merged = sum(sl.w[:8]) + 14
    sep = ("├" + "┴".join("─" * (w // 2) for w in sl.w[:8]) + "┼" + "─" * 6 + "┼" + "─" * 6 +
           "┤")
    bottom = "└" + "─" * (merged // 2) + "┴" + "─" * 6 + "┴" + "─" * 6 + "┘"
    write("SB_SM23.PFM", "要約　分割片の合計と注記", 12, [
        sep, total, bottom,
        "  " + ph(2, 90), "  " + ph(3, 90), "  " + ph(4, 90)])
    write("SB_SM24.PFM", "要約　分割片の表の続きの見出し", 13,
          ["■ 臨界すべり円の分割片（続き）", ""] + slice_head)


if __name__ == "__main__":
    result_lists()
    minimum_files()
    check_list()
    summary()
