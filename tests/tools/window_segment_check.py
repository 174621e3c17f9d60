#!/usr/bin/env python3
"""Decodes the built window-template segment on its own, from the byte layout alone, and checks it
against the program's window written out below (ids, types, names, containers, geometry, flags,
events and their handlers, unit data).

usage: window_segment_check.py SEGMENT DESCRIPTION_JSON   (the JSON only supplies the handler names)
"""
import json
import struct
import sys

DEFAULT = 0xFF000000
TYPES = {0x00010001: 'window', 0x00010005: 'EditBox', 0x00010008: 'DrawPanel', 0x00010009: 'GroupBox',
         0x0001000A: 'Label', 0x0001000B: 'Button', 0x00010012: 'VScrollBar', 0x00010020: 'Timer',
         0x00030001: 'SuperBtn', 0x00050004: 'ListView'}

LISTVIEW = {'border': 5, 'textColour': 0, 'textBackground': 0xFFFFFF, 'background': 0xFFFFFF, 'viewType': 3,
            'iconAlign': 0, 'autoArrange': 1, 'labelWrap': 1, 'hideHeaders': 0, 'clickableHeaders': 1,
            'fullRowSelect': 1, 'gridLines': 1, 'headerDragDrop': 0, 'hotTracking': 0, 'handCursor': 1,
            'underlineCold': 1, 'underlineHot': 1, 'editLabels': 0, 'sort': 0, 'checkBoxes': 0,
            'flatScrollBars': 0, 'singleSelection': 1, 'selection': -1, 'alwaysShowSelection': 0,
            'columns': [(0, -1, 0, 40, '排名'), (0, -1, 0, 100, '名称'), (0, -1, 0, 215, '秒产')]}
SUPERBTN = {'version': 2, 'frameStyle': 1, 'toggle': 0, 'checked': 0, 'layout': 0, 'p12': 0, 'p13': 0, 'p14': 0,
            'image0Transparent': DEFAULT, 'image1Transparent': DEFAULT, 'defaultColours': 1, 'p30': 0,
            'defaultButton': 0, 'colours': [0, 0xF0F0F0, 0, 0xFFFFFF, 0, 0xF0F0F0], 'caption': '超级按钮',
            'toolTip': '', 'image2Transparent': DEFAULT}

# id, type, name, container, left/top/width/height, flags, events with a handler, unit data (None: empty)
ROWS = [
    (0x06010002, 'window', '窗口_主', None, [50, 50, 370, 303], 'V--', [0, 3, 4, 9], {'title': 'Vorenn(自动离线)', 'border': 2, 'background': DEFAULT, 'controlBox': 1, 'maxButton': 0, 'minButton': 1, 'position': 1, 'className': ''}),
    (0x1601167E, 'ListView', '超级列表框_排行榜', '分组框_游戏', [10, 236, 355, 151], '--T', [], LISTVIEW),
    (0x16011888, 'VScrollBar', '纵向滚动条1', '画板_技能', [336, 0, 16, 42], 'V-T', [0, -12], None),
    (0x16011882, 'DrawPanel', '画板1', '画板_技能', [0, 0, 349, 44], 'V--', [], {'ints': [0, DEFAULT, 1, 0, 0, 1, 12, 0, 0, 1, 0xFFFFFF, 0, DEFAULT]}),
    (0x16011883, 'EditBox', '编辑框_金钱', '画板1', [4, 2, 200, 24], '---', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 2, 'inputMode': 0, 'passwordChar': '*'}),
    (0x16011884, 'EditBox', '编辑框_金钱1', '画板1', [4, 25, 200, 16], '---', [], {'border': 5, 'textColour': 0xc0c0c0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 2, 'inputMode': 0, 'passwordChar': '*'}),
    (0x16011885, 'EditBox', '编辑框_时间', '画板1', [203, 25, 129, 16], '---', [], {'border': 5, 'textColour': 0x808080, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 1, 'inputMode': 0, 'passwordChar': '*'}),
    (0x16011886, 'SuperBtn', '按钮_升级', '画板1', [204, 2, 128, 24], '---', [0], SUPERBTN),
    (0x1601187C, 'DrawPanel', '画板_技能', '分组框_游戏', [4, 208, 352, 59], 'V--', [-12], None),
    (0x160116C9, 'EditBox', '编辑框_公告', '分组框2', [4, 118, 344, 56], 'V-T', [], {'border': 5, 'textColour': 0xff, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 1, 'p16': 0, 'p17': 0, 'inputMode': 0, 'passwordChar': '*'}),
    (0x1601146B, 'GroupBox', '分组框_创建', None, [2, 279, 360, 208], '---', [], None),
    (0x16011568, 'Label', '标签_秒产1', '分组框2', [197, 57, 150, 8], '---', [], {'caption': '0', 'textColour': 0xff, 'background': 0xffffff, 'border': 0, 'effect': 0, 'hAlign': 2, 'vAlign': 1, 'wrap': 0}),
    (0x1601155F, 'Timer', '时钟_毫秒', '分组框_游戏', [296, 8, 24, 24], '---', [0], None),
    (0x1601155E, 'Label', '标签_秒产', '分组框2', [197, 104, 150, 8], '---', [], {'caption': '0', 'textColour': 0xff, 'background': 0xffffff, 'border': 0, 'effect': 0, 'hAlign': 2, 'vAlign': 1, 'wrap': 0}),
    (0x1601155D, 'Label', '标签_产出5', '分组框2', [46, 89, 302, 24], 'V--', [], {'caption': '', 'textColour': 0x0, 'background': 0xffffff, 'border': 5, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0, 'font': ('Georgia', -12, 400, 0)}),
    (0x16011500, 'Label', '标签2', '分组框2', [4, 10, 32, 20], 'V--', [], {'caption': '名字：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16011501, 'Label', '标签_名称', '分组框2', [46, 10, 102, 24], 'V--', [], {'caption': '', 'textColour': 0x0, 'background': 0xffffff, 'border': 5, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0, 'font': ('Georgia', -12, 400, 0)}),
    (0x16011502, 'Label', '标签3', '分组框2', [150, 10, 62, 24], 'V--', [], {'caption': 'Vorenn时间：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16011503, 'Label', '标签_修炼时间', '分组框2', [214, 10, 134, 24], 'V--', [], {'caption': '', 'textColour': 0x0, 'background': 0xffffff, 'border': 5, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0, 'font': ('Georgia', -12, 400, 0)}),
    (0x16011504, 'Label', '标签_经验', '分组框2', [46, 42, 302, 24], 'V--', [], {'caption': '', 'textColour': 0x0, 'background': 0xffffff, 'border': 5, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0, 'font': ('Georgia', -12, 400, 0)}),
    (0x16011505, 'Label', '标签4', '分组框2', [4, 42, 32, 20], 'V--', [], {'caption': '经验：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16011506, 'Label', '标签5', '分组框2', [4, 65, 32, 16], 'V--', [], {'caption': '秒产：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16011507, 'Label', '标签_产出', '分组框2', [46, 65, 302, 16], 'V--', [], {'caption': '', 'textColour': 0xc0c0c0, 'background': 0xffffff, 'border': 5, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0, 'font': ('宋体', -12, 400, 0)}),
    (0x160114FE, 'Timer', '时钟_秒', '分组框_游戏', [270, 9, 24, 24], '---', [0], None),
    (0x160114F5, 'Button', '按钮_退出', '分组框_游戏', [244, 8, 110, 24], 'V-T', [0], {'caption': '退出登录', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x16011470, 'Button', '按钮_创建', '分组框_创建', [134, 113, 80, 24], 'V-T', [0], {'caption': '创建', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x1601146D, 'Label', '标签1', '分组框_创建', [30, 58, 64, 16], 'V--', [], {'caption': '角色名：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x1601146C, 'EditBox', '编辑框_创建', '分组框_创建', [102, 57, 176, 24], 'V-T', [], None),
    (0x16011429, 'Button', '按钮_排行榜', '分组框_游戏', [125, 8, 110, 24], 'V-T', [0], {'caption': '排行榜', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x16011428, 'Button', '按钮_人物', '分组框_游戏', [6, 9, 110, 24], 'V-T', [0], {'caption': '人物', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x160113FB, 'Label', '标签_登陆', '分组框_登陆', [8, 8, 320, 31], 'V--', [], {'caption': 'Vorenn吧', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 1, 'vAlign': 1, 'wrap': 0, 'font': ('黑体', -35, 400, 134)}),
    (0x1601004E, 'Button', '按钮_取消', '分组框_登陆', [152, 208, 72, 24], '--T', [0], {'caption': '取消', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x16010028, 'Button', '按钮_确认', '分组框_登陆', [234, 208, 72, 24], '--T', [0], {'caption': '确认', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x1601001E, 'Button', '按钮_登陆', '分组框_登陆', [234, 141, 72, 24], '--T', [0], {'caption': '登陆', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x1601001D, 'Button', '按钮_注册账号', '分组框_登陆', [234, 179, 72, 24], '--T', [0], {'caption': '注册账号', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x1601001C, 'Button', '按钮_修改密码', '分组框_登陆', [152, 179, 72, 24], '--T', [0], {'caption': '修改密码', 'buttonType': 0, 'hAlign': 1, 'vAlign': 1}),
    (0x16010026, 'Label', '标签_邮箱', '分组框_登陆', [24, 200, 60, 24], '---', [], {'caption': '邮箱：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16010027, 'EditBox', '编辑框_邮箱', '分组框_登陆', [90, 202, 216, 20], '--T', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 0, 'inputMode': 0, 'passwordChar': '*'}),
    (0x16010023, 'Label', '标签_密码3', '分组框_登陆', [24, 172, 60, 24], '---', [], {'caption': '密码：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16010024, 'EditBox', '编辑框_密码3', '分组框_登陆', [90, 174, 216, 20], '--T', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 0, 'inputMode': 2, 'passwordChar': '*'}),
    (0x16010021, 'Label', '标签_密码2', '分组框_登陆', [24, 144, 60, 24], '---', [], {'caption': '密码：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x16010022, 'EditBox', '编辑框_密码2', '分组框_登陆', [90, 146, 216, 20], '--T', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 0, 'inputMode': 2, 'passwordChar': '*'}),
    (0x1601001A, 'Label', '标签_账号', '分组框_登陆', [24, 80, 60, 24], 'V--', [], {'caption': '账号：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x1601001B, 'Label', '标签_密码1', '分组框_登陆', [24, 114, 60, 24], 'V--', [], {'caption': '密码：', 'textColour': 0x0, 'background': DEFAULT, 'border': 0, 'effect': 0, 'hAlign': 0, 'vAlign': 1, 'wrap': 0}),
    (0x1601001F, 'EditBox', '编辑框_密码1', '分组框_登陆', [90, 116, 216, 20], 'V-T', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 0, 'inputMode': 2, 'passwordChar': '*'}),
    (0x16010020, 'EditBox', '编辑框_账号', '分组框_登陆', [90, 82, 216, 20], 'V-T', [], {'border': 5, 'textColour': 0x0, 'background': 0xffffff, 'p13': 1, 'p14': 0, 'p15': 0, 'p16': 0, 'p17': 0, 'inputMode': 0, 'passwordChar': '*'}),
    (0x16010009, 'GroupBox', '分组框_登陆', None, [2, 551, 360, 249], '---', [], None),
    (0x160114FF, 'GroupBox', '分组框2', '分组框_游戏', [4, 31, 352, 178], 'V--', [], None),
    (0x16011417, 'GroupBox', '分组框_游戏', None, [2, -1, 360, 273], '---', [], None),
]

# unit name -> {event: handler name}; the window's own record is '窗口_主'
BINDINGS = {
    '窗口_主': {0: 'WindowCreated', 3: 'WindowMoved', 4: 'WindowResized', 9: 'TrayIconUsed'},
    '按钮_登陆': {0: 'LoginClicked'}, '按钮_注册账号': {0: 'RegisterClicked'},
    '按钮_修改密码': {0: 'ChangePasswordClicked'}, '按钮_确认': {0: 'ConfirmClicked'},
    '按钮_取消': {0: 'CancelClicked'}, '按钮_创建': {0: 'CreateCharacterClicked'},
    '按钮_退出': {0: 'SignOutClicked'}, '按钮_人物': {0: 'CharacterClicked'}, '按钮_排行榜': {0: 'RankingClicked'},
    '时钟_秒': {0: 'SecondTick'}, '时钟_毫秒': {0: 'AnimationTick'},
    '纵向滚动条1': {0: 'SkillScrollChanged', -12: 'SkillScrollWheel'}, '画板_技能': {-12: 'SkillPanelWheel'},
    '按钮_升级': {0: 'LevelUpClicked'},
}


class Reader:
    def __init__(self, data, pos=0, end=None):
        self.data, self.pos, self.end = data, pos, len(data) if end is None else end

    def take(self, n):
        if self.pos + n > self.end:
            raise ValueError('read past the end at %d' % self.pos)
        b = self.data[self.pos:self.pos + n]
        self.pos += n
        return b

    def u32(self): return struct.unpack('<I', self.take(4))[0]
    def i32(self): return struct.unpack('<i', self.take(4))[0]
    def text(self): return self.take(self.u32()).decode('gbk')
    def buffer(self): return self.take(self.u32())

    def strz(self):
        zero = self.data.index(b'\0', self.pos, self.end)
        s = self.data[self.pos:zero].decode('gbk')
        self.pos = zero + 1
        return s


def font(buf):
    if not buf:
        return None
    assert len(buf) == 60, 'font record of %d bytes' % len(buf)
    height, _, _, _, weight = struct.unpack_from('<5i', buf, 0)
    charset = buf[23]
    face = buf[28:60].split(b'\0')[0].decode('gbk')
    return (face, height, weight, charset)


def words(r, names, into):
    for n in names:
        into[n] = r.u32()


def decode_data(kind, data):
    """The unit-data layouts, one per type; returns the fields by name."""
    if not data:
        return None
    r, d = Reader(data), {}
    d['version'] = r.u32()
    v = d['version']
    if kind == 'window':
        words(r, ['border', 'p12', 'background', 'maxButton', 'minButton', 'controlBox', 'position', 'p19',
                  'p14', 'p21', 'p22', 'p23', 'p25'], d)
        words(r, ['p26'] * (v >= 2) + ['p27', 'p28'] * (v >= 3) + ['p29'] * (v >= 4) + ['p30'] * (v >= 5), d)
        if v >= 6:
            d['className'] = r.text()
        d['buffers'] = [r.buffer() for _ in range(3)]
        d['title'], d['p24'] = r.text(), r.text()
    elif kind == 'Label':
        words(r, ['effect', 'p11', 'border', 'p12', 'p13', 'p14', 'textColour', 'background', 'p19', 'p20',
                  'p21', 'p22', 'p23', 'hAlign', 'vAlign', 'wrap'], d)
        d['font'], d['picture'], d['caption'] = font(r.buffer()), r.buffer(), r.text()
        if v >= 2:
            d['p27'], d['p28'] = r.text(), r.text()
    elif kind == 'Button':
        words(r, ['buttonType', 'hAlign', 'vAlign'], d)
        d['picture'], d['font'], d['caption'] = r.buffer(), font(r.buffer()), r.text()
    elif kind == 'EditBox':
        words(r, ['border', 'textColour', 'background', 'p13', 'p14', 'p15', 'p16', 'p17', 'inputMode'], d)
        d['passwordChar'] = r.text()
        words(r, ['p20', 'p21', 'p22', 'p23', 'p24', 'p25'], d)
        d['font'], d['content'], d['p26'] = font(r.buffer()), r.text(), r.text()
        if v >= 2:
            words(r, ['p27', 'p28', 'reserved1', 'reserved2', 'reserved3'], d)
    elif kind == 'DrawPanel':
        d['ints'] = [r.u32() for _ in range(13)]
        d['buffers'] = [r.buffer(), r.buffer()]
    elif kind == 'ListView':
        words(r, ['border', 'textColour', 'textBackground', 'background', 'viewType', 'iconAlign', 'autoArrange',
                  'labelWrap', 'hideHeaders', 'clickableHeaders', 'fullRowSelect', 'gridLines', 'headerDragDrop',
                  'hotTracking', 'handCursor', 'underlineCold', 'underlineHot', 'editLabels', 'sort', 'checkBoxes',
                  'flatScrollBars', 'singleSelection', 'selection', 'alwaysShowSelection'], d)
        d['selection'] = struct.unpack('<i', struct.pack('<I', d['selection']))[0]
        d['font'], d['headerImages'], d['itemImages'] = r.buffer(), r.buffer(), r.buffer()
        cols, d['columns'] = r.buffer(), []
        c = Reader(cols)
        while c.pos < len(cols):
            d['columns'].append((c.take(1)[0], c.i32(), c.i32(), c.i32(), c.strz()))
        d['stateImages'], d['items'] = r.buffer(), r.buffer()
    elif kind == 'SuperBtn':
        words(r, ['frameStyle', 'toggle', 'checked', 'layout', 'p12', 'p13', 'p14', 'image0Transparent',
                  'image1Transparent', 'defaultColours', 'p30', 'defaultButton'], d)
        d['colours'] = [r.u32() for _ in range(6)]
        d['buffers'] = [r.buffer() for _ in range(5)]
        d['caption'], d['toolTip'] = r.text(), r.text()
        if v >= 2:
            d['image2Transparent'], d['image2'] = r.u32(), r.buffer()
    else:
        raise ValueError('unit data for %s' % kind)
    assert r.pos == len(data), '%s data: %d bytes left over' % (kind, len(data) - r.pos)
    return d


def is_blank(value):
    return value in (0, '', b'', None) or (isinstance(value, list) and all(is_blank(x) for x in value))


def decode_segment(seg):
    r = Reader(seg)
    table = r.u32()
    assert table == 8, 'one window expected, table size %d' % table
    window_id = r.u32()
    r.u32()
    word_a, word_b, name, remark = r.u32(), r.u32(), r.text(), r.text()
    count, list_size = r.u32(), r.u32()
    list_start = r.pos
    ids = [r.u32() for _ in range(count)]
    offsets = [r.u32() for _ in range(count)]
    base, records, last_end = r.pos, [], 0
    for rid, off in zip(ids, offsets):
        r.pos = base + off
        length = r.u32()
        rec = Reader(seg, r.pos, r.pos + length)
        last_end = max(last_end, r.pos + length)
        u = {'id': rid, 'type': rec.u32(), 'owner': rec.u32(), 'reserved': [rec.u32() for _ in range(4)],
             'name': rec.strz(), 'remark': rec.strz(), 'slot': rec.u32(), 'geometry': [rec.i32() for _ in range(4)],
             'cursorSlot': rec.u32(), 'container': rec.u32()}
        u['children'] = [rec.u32() for _ in range(rec.u32())]
        u['cursor'], u['tag'], u['reserved2'] = rec.buffer(), rec.strz(), rec.u32()
        u['flags'], u['tabOrder'] = rec.u32(), rec.u32()
        u['events'] = [(rec.i32(), rec.i32()) for _ in range(rec.u32())]
        u['reserved3'] = [rec.u32() for _ in range(5)]
        u['data'] = seg[rec.pos:rec.end]
        records.append(u)
    return dict(size=len(seg), window=window_id, words=(word_a, word_b), name=name, remark=remark,
                list_size=list_size, list_end=list_start + list_size, last_end=last_end, records=records)


def check(seg, handlers):
    failures = []

    def expect(cond, what):
        if not cond:
            failures.append(what)

    s = decode_segment(seg)
    expect(s['size'] == 10000, 'segment size %d' % s['size'])
    expect(s['list_size'] == 9964, 'unit list size %d' % s['list_size'])
    expect(s['last_end'] == 10000 and s['list_end'] == 10000, 'last record ends at %d' % s['last_end'])
    expect(s['window'] == 0x52010003 and s['words'] == (0x0060A150, 0x19010029), 'window header')
    expect(s['name'] == '' and s['remark'] == '', 'window name and remark are empty')
    recs = s['records']
    expect(len(recs) == len(ROWS) == 49, 'record count %d' % len(recs))
    by_name = {r['name']: r for r in recs}
    for rec, (rid, kind, name, container, geometry, flags, events, data) in zip(recs, ROWS):
        where = '%08X %s' % (rid, name)
        expect(rec['id'] == rid, where + ': id %08X' % rec['id'])
        expect(TYPES.get(rec['type']) == kind, where + ': type %08X' % rec['type'])
        expect(rec['name'] == name, where + ': name %r' % rec['name'])
        want_container = 0 if container is None else by_name[container]['id']
        expect(rec['container'] == want_container, where + ': container %08X' % rec['container'])
        expect(rec['geometry'] == geometry, where + ': geometry %r' % rec['geometry'])
        got_flags = ''.join(c if rec['flags'] >> i & 1 else '-' for i, c in enumerate('VDT'))
        expect(got_flags == flags and rec['flags'] < 8, where + ': flags %r' % got_flags)
        expect([e for e, _ in rec['events']] == events, where + ': events %r' % rec['events'])
        bound = {e: handlers[h] if 0 <= h < len(handlers) else h for e, h in rec['events']}
        expect(bound == BINDINGS.get(name, {}), where + ': handlers %r' % bound)
        heads = (rec['owner'], rec['slot'], rec['cursorSlot'], rec['remark'], rec['tag'], rec['cursor'],
                 rec['tabOrder'], rec['reserved2'])
        expect(all(is_blank(x) for x in heads + tuple(rec['reserved'] + rec['reserved3'])), where + ': zero fields')
        got = decode_data(kind, rec['data'])
        if data is None or got is None:
            expect(data is None and got is None, where + ': unit data %r' % got)
            continue
        for key, value in data.items():
            expect(got.get(key) == value, where + ': %s is %r, not %r' % (key, got.get(key), value))
        rest = {k: v for k, v in got.items() if k not in data and k != 'version'}
        expect(all(is_blank(v) for v in rest.values()), where + ': unexpected values %r' %
               {k: v for k, v in rest.items() if not is_blank(v)})
    # every unit is a child of exactly its container
    for rec in recs[1:]:
        holder = recs[0] if rec['container'] == 0 else next(r for r in recs if r['id'] == rec['container'])
        expect(holder['children'].count(rec['id']) == 1, '%s missing from its container' % rec['name'])
    expect(sum(len(r['children']) for r in recs) == 48, 'children listed more than once')
    return failures


def main():
    seg = open(sys.argv[1], 'rb').read()
    handlers = json.load(open(sys.argv[2], encoding='utf-8'))['handlers']
    failures = check(seg, handlers)
    for f in failures:
        print('FAIL', f)
    print('%d records checked, %d failures' % (49, len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
