// A section of the page that the parts make from JavaScript: labelled by its
// own heading, so a reader lists it among the page's landmarks and headings.
export function titledSection(className, titleId, titleText) {
  const section = document.createElement('section');
  section.className = className;
  section.setAttribute('aria-labelledby', titleId);
  const title = document.createElement('h2');
  title.id = titleId;
  title.textContent = titleText;
  return {section, title};
}
