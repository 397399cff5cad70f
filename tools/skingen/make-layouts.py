#!/usr/bin/env python3
"""Writes the thirteen main-window layout files of Lanscout.

All layouts share one element tree, one set of control ids, classes, image
strips, paint modes, styles and colours; they differ in texts, fonts, a few
positions, the dialog text colour and the language of the descriptions.
Everything that differs is in the LAYOUTS table below.

Byte form of every file: the XML declaration with version "1.0" and encoding
"utf-8", UTF-8 text with a byte-order mark (except the Polish layout, which is
written without one, so that both forms stay in use), CR LF line ends.

Usage: make-layouts.py [output folder]   (default: resources/layouts next to
this script's repository root)
"""

import os
import sys

PICTURE = "\\TesqaSearchTools\\Picture\\"

# Descriptions for people who edit the files; shown nowhere.
DISCRIP_EN = {
    "dialog": "Search Device Windows",
    2101: "LOG Image Show",
    2102: "Dialog Title",
    2103: "Close Button",
    2104: "Device List Title",
    2105: "Device List Show",
    2106: "",
    2107: "Log In Button",
    2108: "Refresh Button",
    2109: "My Storage Button",
}
DISCRIP_ZH_HANS = {
    "dialog": "搜索设备窗口",
    2101: "LOGO图片显示",
    2102: "对话框标题",
    2103: "关闭按钮",
    2104: "设备列表标题",
    2105: "设备列表显示",
    2106: "",
    2107: "登录按钮",
    2108: "刷新按钮",
    2109: "我的存储按钮",
}
DISCRIP_ZH_HANT = {
    "dialog": "搜尋設備視窗",
    2101: "LOGO圖片顯示",
    2102: "對話框標題",
    2103: "關閉按鈕",
    2104: "設備明細標題",
    2105: "設備明細顯示",
    2106: "",
    2107: "登錄按鈕",
    2108: "重新整理按鈕",
    2109: "我的儲存按鈕",
}

LIGHT = "244,245,247"
DARK = "6,65,105"

# Per layout: file, BOM, font, dialog text colour, title, 2103 text,
# 2104/2106 positions, the list caption (2104), the list text (2105), the
# notice (2106), the three buttons, the three column titles, the countdown
# warning, descriptions.
LAYOUTS = [
    dict(file="149-zh-Hans.xml", bom=True, font="宋体", text_color=DARK,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,224,15",
         caption="设备列表", list="设备列表", notice="正在刷新设备列表,请等待...",
         login="登 陆", refresh="刷 新", storage="我的存储",
         name="主机名称", ip="IP地址", type="设备类型",
         wait="正在刷新设备列表,请等待", discrip=DISCRIP_ZH_HANS),
    dict(file="150-en.xml", bom=True, font="Tahoma", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,280,15",
         caption="Device List", list="Device List", notice="Searching new devices,please wait…",
         login="Log In", refresh="Refresh", storage="My Storage",
         name="Host Name", ip="IP Address", type="Devcie Type",
         wait="Searching new devices,please wait", discrip=DISCRIP_EN),
    dict(file="151-zh-Hant.xml", bom=True, font="宋体", text_color=LIGHT,
         title="Tesqa Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,280,15",
         caption="設備明細", list="設備明細", notice="正在重新整理設備明細,請等待...",
         login="登 錄", refresh="重新整理", storage="我的儲存",
         name="主機名稱", ip="IP地址", type="設備型號",
         wait="正在重新整理設備明細,請等待", discrip=DISCRIP_ZH_HANT),
    dict(file="159-ja.xml", bom=True, font="MS Mincho", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,310,15",
         caption="デバイス一覧", list="デバイス一覧", notice="デバイスを検索中です。お待ちください…",
         login="ログイン", refresh="更新", storage="ストレージ",
         name="ホスト名", ip="IPアドレス", type="デバイスの種類",
         wait="デバイスを検索中です。お待ちください", discrip=DISCRIP_EN),
    dict(file="160-de.xml", bom=True, font="Arial", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,290,15",
         caption="Geräteliste", list="Geräteliste", notice="Erfrischend , bitte warten ...",
         login="Log In", refresh="Refresh", storage="My Storage",
         name="Gerätename", ip="IP Adresse", type="Gerätetyp",
         wait="Erfrischend , bitte warten ", discrip=DISCRIP_EN),
    dict(file="161-fr.xml", bom=True, font="Arial", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,250,15", pos2106="10,194,300,15",
         caption="Liste des Appareils", list="Liste des Appareils",
         notice="Rechercher de nouveaux appareils, attendez-vous…",
         login="Connecter", refresh="Rafraîchir", storage="Mon Storage",
         name="Nom d'Hôte", ip="Adresse IP", type="Type",
         wait="Actu liste appareils, attendez", discrip=DISCRIP_EN),
    dict(file="162-ru.xml", bom=True, font="courier New", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,250,15", pos2106="10,194,300,15",
         caption="Список устройств", list="Список устройств", notice="Поиск устройств, подождите…",
         login="Войти", refresh="Обновить", storage="Хранилище",
         name="Имя хоста", ip="IP-адрес", type="Тип",
         wait="Поиск устройств, подождите", discrip=DISCRIP_EN),
    dict(file="163-ko.xml", bom=True, font="Dotum", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,150,15", pos2106="10,194,315,15",
         caption="장치 목록", list="장치 목록", notice="장치 검색 중입니다. 잠시 기다려 주세요…",
         login="로그인", refresh="새로 고침", storage="내 저장소",
         name="호스트 이름", ip="IP 주소", type="장치 유형",
         wait="장치 검색 중입니다. 잠시 기다려 주세요", discrip=DISCRIP_EN),
    dict(file="164-pt.xml", bom=True, font="Arial", text_color=LIGHT,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,280,15",
         caption="Lista de dispositivos", list="Lista de dispositivos",
         notice="Procurando dispositivos, aguarde…",
         login="Entrar", refresh="Atualizar", storage="Meu disco",
         name="Nome do host", ip="Endereço IP", type="Tipo",
         wait="Procurando dispositivos, aguarde", discrip=DISCRIP_EN),
    dict(file="165-es.xml", bom=True, font="Arial", text_color=DARK,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,224,15",
         caption="Lista de dispositivos", list="Lista de dispositivos",
         notice="Buscando dispositivos nuevos, espere…",
         login="Iniciar sesión", refresh="Actualizar", storage="Mi almacén",
         name="Nombre de host", ip="Dirección IP", type="Tipo de dispositivo",
         wait="Buscando dispositivos nuevos, espere", discrip=DISCRIP_ZH_HANS),
    dict(file="166-it.xml", bom=True, font="Arial", text_color=DARK,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,224,15",
         caption="Elenco dispositivi", list="Elenco dispositivi",
         notice="Ricerca di nuovi dispositivi in corso, attendere…",
         login="Accedi", refresh="Aggiorna", storage="Il mio archivio",
         name="Nome host", ip="Indirizzo IP", type="Tipo di dispositivo",
         wait="Ricerca di nuovi dispositivi in corso, attendere", discrip=DISCRIP_ZH_HANS),
    dict(file="169-nl.xml", bom=True, font="Arial", text_color=DARK,
         title="Voyalink", close="", pos2104="15,32,200,15", pos2106="10,194,224,15",
         caption="Apparatenlijst", list="Apparatenlijst", notice="Zoeken, even geduld…",
         login="Inloggen", refresh="Vernieuwen", storage="Mijn opslag",
         name="Hostnaam", ip="IP-adres", type="Apparaattype",
         wait="Zoeken, even geduld", discrip=DISCRIP_ZH_HANS),
    dict(file="175-pl.xml", bom=False, font="Tahoma", text_color=LIGHT,
         title="Poszukiwanie urządzenia", close="Zamknij",
         pos2104="15,32,200,15", pos2106="10,194,280,15",
         caption="Lista urządzeń", list="Device List", notice="Szukam urządzeń, proszę czekać…",
         login="Zaloguj", refresh="Odśwież", storage="Mój dysk",
         name="Nazwa hosta", ip="Adres IP", type="Typ",
         wait="Szukam urządzeń, proszę czekać", discrip=DISCRIP_EN),
]

# Attribute order of every CtrlInfo element.
CTRL_ATTRS = [
    "CtrlID", "CtrlBGPath", "CtrlBGStatusCount", "CtrlBGColor", "CtrlBorderColor",
    "CtrlPaintMode", "CtrlClass", "CtrlStyle", "CtrlPosType", "CtrlPos", "CtrlShow",
    "CtrlText", "CtrlTextOffSet", "CtrlTextColor", "CtrlFont", "CtrlFontSize",
    "CtrlDiscrip",
]


def escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace('"', "&quot;"))


def controls(lay):
    """The nine control records, in id order, as (attribute, value) lists."""
    font = lay["font"]
    # id, class, image, state count, paint mode, position, text, text offset,
    # text colour, font, font size
    rows = [
        (2101, "ShowImageCtrl", "logo.png", 1, 4, "7,7,16,16", "", "0,0", "255,255,255", font, 12),
        (2102, "ShowTextCtrl", "", 1, 4, "30,4,270,25", lay["title"], "0,0", LIGHT, "Tahoma", 21),
        (2103, "StandardButton", "close.png", 4, 4, "300,10,11,11", lay["close"], "0,0", LIGHT, font, 12),
        (2104, "ShowTextImageCtrl", "", 1, 4, lay["pos2104"], lay["caption"], "13,2", LIGHT, font, 12),
        (2105, "StandardListCtrl", "", 1, 1, "10,50,308,141", lay["list"], "0,0", "6,65,105", "Tahoma", 13),
        (2106, "ShowTextImageCtrl", "Brush.png", 1, 4, lay["pos2106"], lay["notice"], "15,1", LIGHT, font, 12),
        (2107, "StandardButton", "ButtonMax.png", 4, 4, "18,210,79,23", lay["login"], "0,6", LIGHT, font, 12),
        (2108, "StandardButton", "ButtonMax.png", 4, 4, "127,210,79,23", lay["refresh"], "0,6", LIGHT, font, 12),
        (2109, "StandardButton", "ButtonMax.png", 4, 4, "228,210,79,23", lay["storage"], "0,6", LIGHT, font, 12),
    ]
    for (cid, cls, image, count, mode, pos, text, offset, color, face, size) in rows:
        style = "WS_CHILD|WS_VISIBLE|LVS_REPORT" if cid == 2105 else "WS_CHILD|WS_VISIBLE"
        values = [str(cid), PICTURE + image if image else "", str(count), "255,255,255",
                  "126,157,185", str(mode), cls, style, "3", pos, "5", text, offset,
                  color, face, str(size), lay["discrip"][cid]]
        yield list(zip(CTRL_ATTRS, values))


def element(indent, name, attrs, close):
    body = " ".join('%s="%s"' % (key, escape(value)) for key, value in attrs)
    return "%s<%s %s%s>" % (indent, name, body, " /" if close else "")


def render(lay):
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<WindowInformation>"]
    lines.append(element("\t", "DialogInfo", [
        ("DialogID", "201"), ("DialogText", lay["title"]),
        ("DialogDiscrip", lay["discrip"]["dialog"])], False))
    lines.append(element("\t\t", "Standard", [
        ("DialogBGPath", PICTURE + "SearchDevice_BlackGround.png"),
        ("DialogBGColor", "255,255,255"), ("DlgPaintMode", "8"),
        ("DlgTextOffSet", "0,0"), ("DlgTextColor", lay["text_color"]),
        ("DialogFont", lay["font"]), ("DialogFontSize", "12"),
        ("DialogPos", "0,0,328,245")], False))
    for attrs in controls(lay):
        lines.append(element("\t\t\t", "CtrlInfo", attrs, True))
    lines.append("\t\t</Standard>")
    # The string table is indented with blanks, as it was pasted in by hand;
    # the loader treats blanks and tabs alike.
    strings = [
        ("SEARCH_DEVICE_LIST_ITEM_NAME", lay["name"]),
        ("SEARCH_DEVICE_LIST_ITEM_IP", lay["ip"]),
        ("SEARCH_DEVICE_LIST_ITEM_TYPE", lay["type"]),
        ("SEARCH_DEVICE_LIST_HEADER_FONT_NAME", lay["font"]),
        ("SEARCH_DEVICE_LIST_HEADER_FONT_SIZE", "12"),
        ("SEARCH_DEVICE_LIST_HEADER_FONT_COLOR", LIGHT),
        ("SEARCH_DEVICE_WATI_TIME_WARNING", lay["wait"]),
    ]
    for key, value in strings:
        lines.append(element("        ", "StringInfo",
                             [("StringID", key), ("StringValue", value)], True))
    lines.append("\t</DialogInfo>")
    lines.append("</WindowInformation>")
    data = "\r\n".join(lines).encode("utf-8") + b"\r\n"
    return (b"\xef\xbb\xbf" if lay["bom"] else b"") + data


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "layouts")
    os.makedirs(out, exist_ok=True)
    for lay in LAYOUTS:
        with open(os.path.join(out, lay["file"]), "wb") as f:
            f.write(render(lay))


if __name__ == "__main__":
    main()
