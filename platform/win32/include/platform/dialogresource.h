// Dialog templates as resources: a module enters each of its templates under its
// identifier, as its resource script would, and the framework finds them by number.
//
//   const platform::DialogTemplate kChooser = {...};
//   platform::DialogResource g_chooserResource(130, kChooser);
//
// The table is the process's: a template registered later under the same number hides
// an earlier one until it goes, so a module loaded for a while can bring its own.
#pragma once

#include <platform/dialogtemplate.h>

namespace platform {

// Enters the template for as long as this object lives; the template must outlive it.
class DialogResource {
 public:
  DialogResource(int id, const DialogTemplate& dialogTemplate);
  ~DialogResource();
  DialogResource(const DialogResource&) = delete;
  DialogResource& operator=(const DialogResource&) = delete;

 private:
  int m_id;
  const DialogTemplate* m_template;
};

// The newest template registered under id; null when there is none.
const DialogTemplate* FindDialogResource(int id);

}  // namespace platform
