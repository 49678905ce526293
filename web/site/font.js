// SPDX-License-Identifier: GPL-3.0-or-later
// The page's font, for the worker that measures text and for the page that
// draws it. The program asks for "Times New Roman", which the desktop's font
// system gives as Liberation Serif; the site carries that face (TavexSerif)
// so that text measures the same everywhere. Metrics are those the desktop's
// toolkit reports for it: ascent, descent and average character width from
// the face's tables, each rounded, and a text's width as its advances add up,
// rounded.
'use strict';

const tavexFont = (() => {
  let face = null;  // the tables of TavexSerif
  let context = null;
  const widths = new Map();

  function family(name) {
    if (name === 'Times New Roman' || name === 'Liberation Serif') return '"TavexSerif", serif';
    return name ? `"${name}", sans-serif` : 'sans-serif';
  }

  // The font's em in pixels: a negative height is the em, a positive one the
  // cell (ascent + descent) it should have.
  function pixels(font) {
    if (font.height < 0) return -font.height;
    if (font.height === 0) return 13;
    const cell = cellAt(font, font.height);
    return cell > 0 ? Math.max(1, Math.round(font.height * font.height / cell)) : font.height;
  }

  function css(font, px) {
    const style = font.italic ? 'italic ' : '';
    const weight = font.weight > 0 ? font.weight : 400;
    return `${style}${weight} ${px === undefined ? pixels(font) : px}px ${family(font.face)}`;
  }

  function measureContext() {
    if (!context) {
      const canvas = typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(1, 1)
                                                            : document.createElement('canvas');
      context = canvas.getContext('2d');
    }
    return context;
  }

  function ownFace(font) { return face && family(font.face).startsWith('"TavexSerif"'); }

  function cellAt(font, px) {
    const m = metricsAt(font, px);
    return m.ascent + m.descent;
  }

  function metricsAt(font, px) {
    if (ownFace(font)) {
      const scale = px / face.unitsPerEm;
      return {ascent: Math.round(face.ascender * scale), descent: Math.round(-face.descender * scale),
              averageCharWidth: Math.round(face.averageWidth * scale)};
    }
    const ctx = measureContext();
    ctx.font = css(font, px);
    const m = ctx.measureText('x');
    return {ascent: Math.round(m.fontBoundingBoxAscent), descent: Math.round(m.fontBoundingBoxDescent),
            averageCharWidth: Math.round(m.width)};
  }

  // unitsPerEm (head), ascender and descender (hhea), xAvgCharWidth (OS/2).
  function readTables(buffer) {
    const view = new DataView(buffer);
    const tables = {};
    for (let i = 0, n = view.getUint16(4); i < n; ++i) {
      const at = 12 + 16 * i;
      const tag = String.fromCharCode(...new Uint8Array(buffer, at, 4));
      tables[tag] = view.getUint32(at + 8);
    }
    return {unitsPerEm: view.getUint16(tables.head + 18), ascender: view.getInt16(tables.hhea + 4),
            descender: view.getInt16(tables.hhea + 6), averageWidth: view.getInt16(tables['OS/2'] + 2)};
  }

  return {
    css,
    async load(url) {
      const buffer = await (await fetch(url)).arrayBuffer();
      face = readTables(buffer);
      const fontFace = new FontFace('TavexSerif', buffer);
      (typeof document !== 'undefined' ? document.fonts : self.fonts).add(fontFace);
      await fontFace.load();
    },
    metrics(font) { return metricsAt(font, pixels(font)); },
    textWidth(font, text) {
      const key = css(font) + '\u0000' + text;
      let w = widths.get(key);
      if (w === undefined) {
        const ctx = measureContext();
        ctx.font = css(font);
        w = Math.round(ctx.measureText(text).width);
        if (widths.size > 5000) widths.clear();
        widths.set(key, w);
      }
      return w;
    },
  };
})();
