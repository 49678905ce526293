// SPDX-License-Identifier: GPL-3.0-or-later
// The convergence dialog: the table the program computes (its cells as the
// program writes them), with Copy (tab-separated) and Save CSV.
'use strict';

const tavexConvergence = (() => {
  let last = null;
  const $ = (id) => document.getElementById(id);

  function show(message) {
    last = message;
    $('convergence-reference').textContent = message.reference;
    $('convergence-notes').textContent = message.notes.join('\n');
    $('convergence-summary').textContent = message.summary;
    // The program's own drawing (web/svg_canvas.cpp), its texts escaped there.
    $('convergence-plot').innerHTML = message.plot;
    const table = $('convergence-table');
    const head = document.createElement('tr');
    for (const name of message.header) {
      head.append(Object.assign(document.createElement('th'), {textContent: name, scope: 'col'}));
    }
    const rows = message.rows.map((cells) => {
      const row = document.createElement('tr');
      for (const cell of cells) row.append(Object.assign(document.createElement('td'), {textContent: cell}));
      return row;
    });
    table.tHead.replaceChildren(head);
    table.tBodies[0].replaceChildren(...rows);
    $('convergence-copy').disabled = message.rows.length === 0;
    $('convergence-save').disabled = message.rows.length === 0 || message.running;
    $('convergence-compute').disabled = message.running;
  }

  function compute() {
    const limit = Number($('convergence-limit').value) || 0;
    // The plot is drawn at the size its box has now (CSS pixels).
    const width = Math.round($('convergence-plot').clientWidth) || 400;
    send('convergence', {c: limit, a: width, b: Math.round(width * 0.9)});
  }

  $('convergence').onclick = () => {
    $('convergence-dialog').showModal();
    compute();
  };
  $('convergence-compute').onclick = compute;
  $('convergence-copy').onclick = async () => {
    if (!last) return;
    await navigator.clipboard.writeText(last.tsv);
    $('convergence-summary').textContent = `Copied the table (${last.rows.length} rows, tab-separated).`;
  };
  $('convergence-save').onclick = () => {
    if (last) download(new Blob([last.csv], {type: 'text/csv'}), 'convergence.csv');
  };
  $('convergence-dialog').addEventListener('close', () => { if (last && last.running) send('cancel'); });

  return {show};
})();
