// What both of the page's scripts use: its elements by id, and an error's
// message as the page shows it.

export const byId = id => document.getElementById(id);

// The first line of a message, without the source WebKit appends to it
// (" (evaluating '...')", which may run over lines).
export const firstLine = text => String(text).split("\n")[0].replace(/ \(evaluating '.*$/, "");
