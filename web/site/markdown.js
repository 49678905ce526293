// SPDX-License-Identifier: GPL-3.0-or-later
// The help's "Writing f(x)" section comes from the README; this turns its
// plain Markdown (headings, paragraphs, lists, tables, code) into elements.
'use strict';

function tavexMarkdown(text) {
  const out = [];
  const inline = (element, source) => {
    // `code`, **bold**; the rest as text.
    for (const part of source.split(/(`[^`]*`|\*\*[^*]+\*\*)/)) {
      if (!part) continue;
      if (part.startsWith('`') && part.endsWith('`') && part.length > 1) {
        element.append(Object.assign(document.createElement('code'), {textContent: part.slice(1, -1)}));
      } else if (part.startsWith('**') && part.endsWith('**') && part.length > 4) {
        element.append(Object.assign(document.createElement('strong'), {textContent: part.slice(2, -2)}));
      } else {
        element.append(part.replace(/\\\|/g, '|'));
      }
    }
    return element;
  };
  const cells = (line) => line.replace(/^\||\|$/g, '').split(/(?<!\\)\|/).map((c) => c.trim());
  const blocks = text.replace(/\r/g, '').split(/\n\s*\n/);
  for (const block of blocks) {
    const lines = block.split('\n');
    if (/^#+ /.test(lines[0])) {
      const level = Math.min(6, lines[0].match(/^#+/)[0].length + 1);
      out.push(inline(document.createElement(`h${level}`), lines[0].replace(/^#+ /, '')));
    } else if (lines.every((l) => l.startsWith('    ') || !l.trim())) {
      out.push(Object.assign(document.createElement('pre'),
                             {textContent: lines.map((l) => l.slice(4)).join('\n')}));
    } else if (lines[0].startsWith('|') && lines.length > 1) {
      const table = document.createElement('table');
      lines.filter((l, i) => i !== 1).forEach((line, i) => {
        const row = table.insertRow();
        for (const cell of cells(line)) row.append(inline(document.createElement(i ? 'td' : 'th'), cell));
      });
      out.push(table);
    } else if (/^[-*] /.test(lines[0])) {
      const list = document.createElement('ul');
      block.split(/\n(?=[-*] )/).forEach((item) => {
        list.append(inline(document.createElement('li'), item.replace(/^[-*] /, '').replace(/\n\s*/g, ' ')));
      });
      out.push(list);
    } else {
      out.push(inline(document.createElement('p'), block.replace(/\n\s*/g, ' ')));
    }
  }
  return out;
}
